#include "app/StatusJson.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

TEST(StatusJson, KeepsInsertionOrderAndNestsObjectsAndLists) {
    StatusJson inner;
    inner.add(QStringLiteral("z"), 1).add(QStringLiteral("a"), false);
    StatusJson outer;
    outer.add(QStringLiteral("running"), true)
        .add(QStringLiteral("kinds"),
             std::vector<QString>{QStringLiteral("text"), QStringLiteral("image")})
        .add(QStringLiteral("inner"), inner);

    EXPECT_EQ(
        outer.toString(),
        QStringLiteral(
            "{\"running\":true,\"kinds\":[\"text\",\"image\"],\"inner\":{\"z\":1,\"a\":false}}"));
}

TEST(StatusJson, EscapesStringsSoTheLineStaysValidJson) {
    StatusJson json;
    const QString awkward = QStringLiteral("C:\\dir \"quoted\"\nline\t\u00e9\u0001");
    json.add(QStringLiteral("folder"), awkward);

    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(json.toString().toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(doc.object().value(QStringLiteral("folder")).toString(), awkward);
    EXPECT_FALSE(json.toString().contains(QLatin1Char('\n')));
}
