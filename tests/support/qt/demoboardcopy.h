#pragma once

// Test support for the command-line runs: a copy of the packed demo board in
// a fresh temporary folder (a run writes the data files the unit sends back
// beside the test file), board files of the simulated unit written there,
// and the JSON records that runs leave.

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace qv::testing {

class DemoBoardCopy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto &entry : std::filesystem::directory_iterator(QV_DEMO_DIR))
            std::filesystem::copy_file(
                entry.path(), dir.filePath(QString::fromStdString(entry.path().filename().string()))
                                  .toStdString());
        demo = dir.filePath("DEMO.QOR");
    }
    // A board file of the simulated unit with that text.
    QString Board(const std::string &text)
    {
        const QString path = dir.filePath(QStringLiteral("board%1.ini").arg(++boards));
        std::ofstream(path.toStdString()) << text;
        return path;
    }
    // The JSON record a run wrote.
    static QJsonObject Report(const QString &path)
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(file.readAll(), &error).object();
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return json;
    }

    QTemporaryDir dir;
    QString demo; // the copy's test file
    int boards = 0;
};

} // namespace qv::testing
