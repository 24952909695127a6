// A small X client with one text field, standing in for any program the user types into: it
// takes the keyboard when shown and writes the field's text to FILE after every change.
//
// Usage: hodgebin_text_field FILE

#include <QApplication>
#include <QFile>
#include <QLineEdit>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() != 2) {
        std::fputs("usage: hodgebin_text_field FILE\n", stderr);
        return 2;
    }
    const QString path = args[1];
    QLineEdit field;
    field.setWindowTitle(QStringLiteral("text field"));
    field.setGeometry(200, 300, 500, 40);
    QObject::connect(&field, &QLineEdit::textChanged, [&path](const QString& text) {
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            file.write(text.toUtf8());
        }
    });
    field.show();
    field.activateWindow();
    return QApplication::exec();
}
