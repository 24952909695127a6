#include "platform/x11/X11Pasteboard.h"
#include "EncodedImage.h"
#include "EventLoop.h"
#include "SelectionOwner.h"
#include "X11TestDesktop.h"
#include "clipboard/ClipboardCapture.h"
#include "clipboard/ClipboardCopyBack.h"
#include "clipboard/ClipboardManager.h"
#include "fakes/FakeWorkspace.h"
#include "fakes/ManualMainQueue.h"
#include "platform/linux/QtMainQueue.h"
#include "platform/x11/X11Workspace.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QTimer>

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <atomic>
#include <map>
#include <optional>
#include <thread>

namespace {

QByteArray pngBytes(QSize size) {
    return encodedImage("png", size, Qt::darkCyan);
}

// Runs an X client to its end while serving the clipboard.
QByteArray runServing(const QStringList& args, const QByteArray& input = {}) {
    QProcess process;
    process.setProcessEnvironment(x11TestDesktop().environment());
    process.start(QStringLiteral("xclip"), args);
    if (!process.waitForStarted(5000)) {
        return {};
    }
    process.write(input);
    process.closeWriteChannel();
    processEventsUntil(
        [&] { return process.state() == QProcess::NotRunning || process.waitForFinished(5); },
        10000);
    return process.readAllStandardOutput();
}

// Another program copies: xclip takes the clipboard with one type and serves it.
void xclipCopy(X11Pasteboard& pasteboard, const QByteArray& bytes,
               const QString& type = QString()) {
    const qint64 before = pasteboard.changeCount();
    QStringList args{QStringLiteral("-selection"), QStringLiteral("clipboard"),
                     QStringLiteral("-i")};
    if (!type.isEmpty()) {
        args << QStringLiteral("-t") << type;
    }
    runServing(args, bytes);
    ASSERT_TRUE(processEventsUntil([&] { return pasteboard.changeCount() != before; }))
        << "no change seen for " << type.toStdString();
}

// Reads the clipboard as the history does, off the main thread, and waits on the event loop for
// the answer.
template <typename F> auto readWith(Pasteboard& pasteboard, F f) {
    using Result = decltype(f(std::declval<const PasteboardContents&>()));
    auto result = std::make_shared<Result>();
    auto done = std::make_shared<bool>(false);
    pasteboard.readContents(
        [result, f](const PasteboardContents& contents) { *result = f(contents); },
        [done] { *done = true; });
    EXPECT_TRUE(processEventsUntil([&] { return *done; }, 30000));
    return *result;
}

std::optional<ClipboardContent> readBack(Pasteboard& pasteboard) {
    return readWith(pasteboard, [](const PasteboardContents& c) { return readContent(c); });
}

QByteArray xclipPaste(const QString& type) {
    return runServing({QStringLiteral("-selection"), QStringLiteral("clipboard"),
                       QStringLiteral("-o"), QStringLiteral("-t"), type});
}

class X11PasteboardTest : public ::testing::Test {
protected:
    QtMainQueue workers;
    // A short time-out keeps the tests of silent owners short.
    X11Pasteboard pasteboard{QGuiApplication::clipboard(), workers, 1500};
};

} // namespace

TEST_F(X11PasteboardTest, EachTypeThatXclipOffersIsReadAsTheRightKind) {
    using K = ClipboardContent::Kind;

    xclipCopy(pasteboard, QStringLiteral("  h\u00e9llo w\u00f6rld\n").toUtf8());
    auto content = readBack(pasteboard);
    ASSERT_TRUE(content);
    EXPECT_EQ(content->kind(), K::text);
    EXPECT_EQ(content->textValue(), QStringLiteral("  h\u00e9llo w\u00f6rld\n"));

    const QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Caf\\'e9 \\b noir\\b0\\par}";
    for (const QString& type : {QStringLiteral("text/rtf"), QStringLiteral("application/rtf"),
                                QStringLiteral("text/richtext")}) {
        xclipCopy(pasteboard, rtf, type);
        content = readBack(pasteboard);
        ASSERT_TRUE(content) << type.toStdString();
        ASSERT_EQ(content->kind(), K::rtf) << type.toStdString();
        EXPECT_EQ(content->rtfValue()->string(), QStringLiteral("Caf\u00e9 noir\n"));
        EXPECT_EQ(content->rtfValue()->rtfData(), rtf);
    }

    xclipCopy(pasteboard, pngBytes({64, 48}), PasteboardType::png);
    content = readBack(pasteboard);
    ASSERT_TRUE(content);
    ASSERT_EQ(content->kind(), K::image);
    EXPECT_EQ(content->imageValue()->pixelSize(), QSize(64, 48));

    const QByteArray tiff = encodedImage("tiff", {20, 10}, Qt::yellow);
    xclipCopy(pasteboard, tiff, PasteboardType::tiff);
    content = readBack(pasteboard);
    ASSERT_TRUE(content);
    ASSERT_EQ(content->kind(), K::image);
    EXPECT_EQ(content->imageValue()->pixelSize(), QSize(20, 10));

    xclipCopy(pasteboard,
              "# two files\r\nfile:///home/u/first%20one.txt\r\nfile:///home/u/second.txt\r\n",
              PasteboardType::fileURL);
    content = readBack(pasteboard);
    ASSERT_TRUE(content);
    ASSERT_EQ(content->kind(), K::fileURL);
    EXPECT_EQ(content->fileURLValue(),
              QUrl::fromLocalFile(QStringLiteral("/home/u/first one.txt")));
}

TEST_F(X11PasteboardTest, BadOffersFromXclipGiveNothing) {
    xclipCopy(pasteboard, "https://example.org/\r\nrelative.txt\r\n", PasteboardType::fileURL);
    EXPECT_TRUE(readWith(pasteboard, [](const PasteboardContents& c) {
                    return c.readFileURLs();
                }).isEmpty());
    EXPECT_FALSE(readBack(pasteboard));

    xclipCopy(pasteboard, QByteArray(5000, '\x42'), PasteboardType::png);
    EXPECT_FALSE(readBack(pasteboard));

    xclipCopy(pasteboard, "{\\rtf1 never closed", PasteboardType::rtf);
    EXPECT_FALSE(readBack(pasteboard));

    xclipCopy(pasteboard, " \n\t \n");
    EXPECT_FALSE(readBack(pasteboard));
}

TEST_F(X11PasteboardTest, ThePrimarySelectionIsNeverCounted) {
    const qint64 before = pasteboard.changeCount();
    runServing({QStringLiteral("-selection"), QStringLiteral("primary"), QStringLiteral("-i")},
               "selected with the mouse");
    xclipCopy(pasteboard, "copied");
    EXPECT_EQ(pasteboard.changeCount(), before + 1);
    EXPECT_EQ(readWith(pasteboard,
                       [](const PasteboardContents& c) {
                           return c.stringForType(PasteboardType::string);
                       }),
              QStringLiteral("copied"));
}

TEST_F(X11PasteboardTest, OurWritesAreOneChangeAndReadBackByOtherPrograms) {
    // Another program owns the clipboard first, so a reader that got there before our write
    // would see its content, not ours.
    xclipCopy(pasteboard, "someone else's");
    const quint32 otherOwner = x11TestDesktop().clipboardOwner();
    ASSERT_NE(otherOwner, 0u);

    const qint64 before = pasteboard.changeCount();
    pasteboard.clearContents();
    pasteboard.setString(QStringLiteral("d\u00e9j\u00e0 vu"), PasteboardType::string);
    pasteboard.commit();
    // The write is on the server once commit returns, without the event loop running.
    const quint32 ourOwner = x11TestDesktop().clipboardOwner();
    ASSERT_NE(ourOwner, otherOwner);
    ASSERT_NE(ourOwner, 0u);
    ASSERT_TRUE(QGuiApplication::clipboard()->ownsClipboard());
    EXPECT_TRUE(xclipPaste(QStringLiteral("TARGETS")).contains("UTF8_STRING"));
    EXPECT_EQ(QString::fromUtf8(xclipPaste(QStringLiteral("UTF8_STRING"))),
              QStringLiteral("d\u00e9j\u00e0 vu"));
    // Taking the selection did not echo back as a second change.
    EXPECT_EQ(pasteboard.changeCount(), before + 1);

    const QByteArray rtf = "{\\rtf1 rich}";
    pasteboard.clearContents();
    pasteboard.setData(rtf, PasteboardType::rtf);
    pasteboard.setString(QStringLiteral("rich"), PasteboardType::string);
    pasteboard.commit();
    const QByteArray targets = xclipPaste(QStringLiteral("TARGETS"));
    EXPECT_TRUE(targets.contains("text/rtf")) << targets.toStdString();
    EXPECT_TRUE(targets.contains("UTF8_STRING")) << targets.toStdString();
    EXPECT_EQ(xclipPaste(QStringLiteral("text/rtf")), rtf);
    EXPECT_EQ(xclipPaste(QStringLiteral("UTF8_STRING")), QByteArray("rich"));

    const QByteArray png = pngBytes({330, 220});
    pasteboard.clearContents();
    pasteboard.setData(png, PasteboardType::png);
    pasteboard.commit();
    EXPECT_EQ(xclipPaste(PasteboardType::png), png);
    // TIFF is made once, in the background, and offered when it is ready; compressed, it is far
    // smaller than the bitmap.
    ASSERT_TRUE(processEventsUntil(
        [&] { return xclipPaste(QStringLiteral("TARGETS")).contains("image/tiff"); }));
    const QByteArray tiff = xclipPaste(PasteboardType::tiff);
    EXPECT_EQ(QImage::fromData(tiff, "tiff").size(), QSize(330, 220));
    EXPECT_LT(tiff.size(), 330 * 220 * 4 / 10);
    EXPECT_EQ(
        readWith(pasteboard,
                 [](const PasteboardContents& c) { return c.dataForType(PasteboardType::png); }),
        png);

    const QUrl file = QUrl::fromLocalFile(QStringLiteral("/home/u/My Report.pdf"));
    pasteboard.clearContents();
    pasteboard.writeFileURLs({file});
    pasteboard.commit();
    const QByteArray fileTargets = xclipPaste(QStringLiteral("TARGETS"));
    EXPECT_TRUE(fileTargets.contains("text/uri-list")) << fileTargets.toStdString();
    EXPECT_TRUE(fileTargets.contains("x-special/gnome-copied-files")) << fileTargets.toStdString();
    EXPECT_EQ(xclipPaste(QStringLiteral("x-special/gnome-copied-files")),
              QByteArray("copy\nfile:///home/u/My%20Report.pdf"));
    EXPECT_EQ(xclipPaste(PasteboardType::fileURL).trimmed(),
              QByteArray("file:///home/u/My%20Report.pdf"));
    EXPECT_EQ(readWith(pasteboard, [](const PasteboardContents& c) { return c.readFileURLs(); }),
              QList<QUrl>{file});
}

TEST_F(X11PasteboardTest, TheOtherEncodingOfAnImageIsGivenUpWhenNewerContentReplacesIt) {
    ManualMainQueue queue;
    X11Pasteboard writer(QGuiApplication::clipboard(), queue);
    const auto writePng = [&](QSize size) {
        writer.clearContents();
        writer.setData(pngBytes(size), PasteboardType::png);
        writer.commit();
    };
    writePng({40, 30});
    EXPECT_EQ(queue.backgroundCount(), 1);
    writer.clearContents();
    writer.setString(QStringLiteral("ours, newer"), PasteboardType::string);
    writer.commit();
    EXPECT_EQ(queue.backgroundCount(), 0) << "replaced by our own write";
    writePng({50, 20});
    xclipCopy(pasteboard, "another program's");
    EXPECT_EQ(queue.backgroundCount(), 0) << "replaced by another program";

    writePng({60, 10});
    queue.runPending();
    ASSERT_TRUE(xclipPaste(QStringLiteral("TARGETS")).contains("image/tiff"));
    EXPECT_EQ(QImage::fromData(xclipPaste(PasteboardType::tiff), "tiff").size(), QSize(60, 10));
}

TEST_F(X11PasteboardTest, CopyBackOfEachKindReadsBackAsTheSameKind) {
    ManualMainQueue queue;
    using K = ClipboardContent::Kind;
    const QList<ClipboardContent> contents = {
        ClipboardContent::text(QStringLiteral("plain")),
        ClipboardContent::rtf(RichText::fromRTF("{\\rtf1 styled}")),
        ClipboardContent::image(ClipboardImage::fromData(pngBytes({5, 5}))),
        ClipboardContent::fileURL(QUrl::fromLocalFile(QStringLiteral("/nonexistent/file.txt")))};
    for (const ClipboardContent& content : contents) {
        const qint64 before = pasteboard.changeCount();
        copyToPasteboard(ClipboardItem::make(content, queue.now(), std::nullopt), pasteboard);
        EXPECT_NE(pasteboard.changeCount(), before);
        const auto read = readBack(pasteboard);
        ASSERT_TRUE(read);
        EXPECT_EQ(read->kind(), content.kind());
        if (content.kind() != K::image) {
            EXPECT_TRUE(*read == content);
        }
    }
}

TEST_F(X11PasteboardTest, SecretContentFromAPasswordManagerIsNotRecorded) {
    FakeWorkspace workspace;
    ManualMainQueue queue;
    ClipboardManager manager(pasteboard, workspace, queue);
    manager.startPolling();
    const qint64 before = pasteboard.changeCount();
    {
        SelectionOwner owner({{"UTF8_STRING", QByteArray("hunter2")},
                              {"x-kde-passwordManagerHint", QByteArray("secret")}});
        ASSERT_TRUE(processEventsUntil([&] { return pasteboard.changeCount() != before; }));
        queue.advance(0.5);
        EXPECT_EQ(manager.lastChangeCount(), pasteboard.changeCount());
        // Reads finish in order: once the next copy is an entry, the secret one was dealt with.
        xclipCopy(pasteboard, "after the secret");
    }
    queue.advance(0.5);
    ASSERT_TRUE(processEventsUntil([&] { return !manager.items().isEmpty(); }));
    ASSERT_EQ(manager.items().size(), 1);
    EXPECT_EQ(manager.items()[0].content.textValue(), QStringLiteral("after the secret"));
}

TEST_F(X11PasteboardTest, AnOwnerThatNeverSendsIsAskedForOneTypeAndGivesNothing) {
    const qint64 before = pasteboard.changeCount();
    {
        SelectionOwner owner({{"text/uri-list", std::nullopt},
                              {"image/png", std::nullopt},
                              {"text/rtf", std::nullopt},
                              {"UTF8_STRING", std::nullopt}});
        ASSERT_TRUE(processEventsUntil([&] { return pasteboard.changeCount() != before; }));
        EXPECT_FALSE(readBack(pasteboard));
        // Once one transfer has timed out, the other types are not asked for.
        EXPECT_EQ(owner.dataRequests(), 1);
    }
    // The next owner is asked again. The silent owner leaving is a change of its own, so the
    // change xclip makes may be seen one pass later.
    xclipCopy(pasteboard, "answered");
    EXPECT_TRUE(processEventsUntil([&] {
        return readWith(pasteboard, [](const PasteboardContents& c) {
                   return c.stringForType(PasteboardType::string);
               }) == QStringLiteral("answered");
    }));
}

TEST_F(X11PasteboardTest, TheMainThreadRunsOnWhileAnOwnerKeepsItsAnswerBack) {
    // A time-out far beyond the test, so only the owner decides when the read ends.
    X11Pasteboard patient(QGuiApplication::clipboard(), workers, 120000);
    const QByteArray text = "sent at last";
    SelectionOwner owner({{"UTF8_STRING", text}}, /*held=*/true);
    ASSERT_TRUE(processEventsUntil([&] { return patient.changeCount() > 0; }));

    auto result = std::make_shared<std::optional<ClipboardContent>>();
    bool done = false;
    patient.readContents([result](const PasteboardContents& c) { *result = readContent(c); },
                         [&done] { done = true; });
    int fired = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++fired; });
    timer.start(1);
    ASSERT_TRUE(processEventsUntil([&] { return fired >= 20 && owner.dataRequests() > 0; }));
    EXPECT_FALSE(done);

    owner.release();
    ASSERT_TRUE(processEventsUntil([&] { return done; }));
    ASSERT_TRUE(result->has_value());
    EXPECT_EQ((*result)->textValue(), QString::fromUtf8(text));
}

TEST_F(X11PasteboardTest, AfterALaterCopyAReadUnderWayFinishesAndAWaitingOneGivesNothing) {
    X11Pasteboard patient(QGuiApplication::clipboard(), workers, 120000);
    const qint64 before = patient.changeCount();
    auto under = std::make_shared<std::optional<ClipboardContent>>();
    auto waiting = std::make_shared<std::optional<ClipboardContent>>();
    int done = 0;
    {
        SelectionOwner slow({{"UTF8_STRING", QByteArray("first")}}, /*held=*/true);
        ASSERT_TRUE(processEventsUntil([&] { return patient.changeCount() != before; }));
        // A late event of the owner before may still be on its way: reads asked for at that
        // change find it gone; they are asked again until one reaches the held owner.
        const auto ask = [&] {
            done = 0;
            patient.readContents([under](const PasteboardContents& c) { *under = readContent(c); },
                                 [&done] { ++done; });
            patient.readContents(
                [waiting](const PasteboardContents& c) { *waiting = readContent(c); },
                [&done] { ++done; });
        };
        ask();
        ASSERT_TRUE(processEventsUntil([&] {
            if (done == 2 && slow.dataRequests() == 0) {
                ask();
            }
            return slow.dataRequests() > 0;
        }));
        // Another program copies while the first owner still holds its answer back.
        xclipCopy(patient, "second");
        slow.release();
        ASSERT_TRUE(processEventsUntil([&] { return done == 2; }));
    }
    ASSERT_TRUE(under->has_value());
    EXPECT_EQ((*under)->textValue(), QStringLiteral("first"));
    // Not the later copy's content: that one is read for its own change.
    EXPECT_FALSE(waiting->has_value());
}

namespace {

// The history over the real clipboard; its settle is driven by hand, as soon as it is due.
class X11CaptureTest : public X11PasteboardTest {
protected:
    X11CaptureTest() { manager.startPolling(); }

    // Turns the event loop until the condition holds, letting each read begin once due.
    bool runUntil(const std::function<bool()>& condition) {
        return processEventsUntil([&] {
            if (manager.settleTimer()) {
                queue.advance(ClipboardManager::settleDelay);
            }
            return condition();
        });
    }

    X11Workspace workspace;
    ManualMainQueue queue;
    ClipboardManager manager{pasteboard, workspace, queue};
};

} // namespace

TEST_F(X11CaptureTest, TwentyCopiesByXclipATenthOfASecondApartAreTwentyEntriesInOrder) {
    QStringList expected;
    for (int i = 1; i <= 20; ++i) {
        QElapsedTimer sinceCopy;
        sinceCopy.start();
        const QString text = QStringLiteral("copy %1").arg(i);
        xclipCopy(pasteboard, text.toUtf8());
        expected.prepend(text);
        // The next copy comes 0.1 s later, or once this one is in if the machine is slower.
        ASSERT_TRUE(runUntil([&] {
            return sinceCopy.elapsed() >= 100 && manager.items().size() == i;
        })) << "copy "
            << i;
    }
    QStringList texts;
    for (const ClipboardItem& item : manager.items()) {
        texts.append(item.content.textValue());
    }
    EXPECT_EQ(texts, expected);
}

TEST_F(X11CaptureTest, AnOwnerIsNamedByItsWindowClassElseByTheProgramOfItsProcess) {
    QProcess other;
    other.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(other.waitForStarted(5000));
    {
        SelectionOwner owner(
            {{"UTF8_STRING", QByteArray("with a class")}}, false,
            {QByteArray("gimp-2.10\0Gimp-2.10\0", 20), uint32_t(other.processId())});
        ASSERT_TRUE(runUntil([&] { return manager.items().size() == 1; }));
    }
    {
        SelectionOwner owner({{"UTF8_STRING", QByteArray("with a process")}}, false,
                             {{}, uint32_t(other.processId())});
        ASSERT_TRUE(runUntil([&] { return manager.items().size() == 2; }));
    }
    // A window that tells nothing: the X server knows the process of the program that made it
    // (xclip in the foreground, so the process that connected is the one that serves).
    QProcess xclip;
    xclip.setProcessEnvironment(x11TestDesktop().environment());
    xclip.start(QStringLiteral("xclip"), {QStringLiteral("-quiet"), QStringLiteral("-selection"),
                                          QStringLiteral("clipboard"), QStringLiteral("-i")});
    ASSERT_TRUE(xclip.waitForStarted(5000));
    xclip.write("from a bare window");
    xclip.closeWriteChannel();
    ASSERT_TRUE(runUntil([&] { return manager.items().size() == 3; }));
    // Our own copy is ours.
    copyToPasteboard(
        ClipboardItem::make(ClipboardContent::text(QStringLiteral("ours")), queue.now(), {}),
        pasteboard);
    ASSERT_TRUE(runUntil([&] { return manager.items().size() == 4; }));
    for (QProcess* process : {&other, &xclip}) {
        process->kill();
        process->waitForFinished(3000);
    }

    QList<std::optional<QString>> sources;
    for (const ClipboardItem& item : manager.items()) {
        sources.prepend(item.sourceApp);
    }
    EXPECT_EQ(sources, (QList<std::optional<QString>>{
                           QStringLiteral("Gimp-2.10"), QStringLiteral("sleep"),
                           QStringLiteral("xclip"), QCoreApplication::applicationName()}));
}
