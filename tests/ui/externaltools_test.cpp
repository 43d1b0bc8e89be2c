// The main window's external tools driven from its commands: the test
// editor round trip through quorvik-edit.

#include "model/document/quorvik.h"
#include "ui/desk/infopanel.h"
#include "ui/deskfixture.h"
#include "ui/services/helperprograms.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <filesystem>

namespace qv::testing {
namespace {

QString BinDir()
{
    return qEnvironmentVariable("QORVIK_BINARY_DIR") + QStringLiteral("/bin");
}

// Sets an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name)
        , m_had(qEnvironmentVariableIsSet(name))
        , m_old(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

class ExternalTools : public DeskFixture
{
protected:
    ExternalTools() { services::SetHelperProgramDirectory(BinDir()); }
    ~ExternalTools() override { services::SetHelperProgramDirectory({}); }

    // An executable shell script in the temporary folder.
    std::string Script(const std::string &name, const std::string &body)
    {
        const std::string path = dir.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteBytes(path, "#!/bin/sh\n" + body + "\n");
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path;
    }
};

TEST_F(ExternalTools, TheEditorRoundTripReopensTheFileOnTheEditorsTestWithTheChange)
{
    TBaseForm &form = WindowWithDemo();
    form.selectTest(1);
    const std::string edited = "Память после правки";
    const ScopedEnv visual(
        "VISUAL", QByteArray::fromStdString(
                      Script("editor", "sed -i 's/^NAME=Память$/NAME=" + edited + "/' \"$1\"")));
    form.actions().editQor->trigger();

    EXPECT_TRUE(Messages().empty()) << (Messages().empty() ? "" : Messages().front());
    EXPECT_TRUE(form.isVisible()) << "the main window shows again";
    ASSERT_EQ(form.document().CurrentTest, 1) << "the test selected in the editor";
    EXPECT_EQ(form.document().CurrentTestRecord()->Name, edited);
    EXPECT_EQ(form.infoPanel()->label("lbTestName")->text().toStdString(), edited);
    EXPECT_EQ(form.infoPanel()->pressedTab(), 1);
}

TEST_F(ExternalTools, AnEditThatDoesNotLoadKeepsTheOldFileByteForByte)
{
    TBaseForm &form = WindowWithDemo();
    const std::string path = form.document().Doc.FileName;
    const std::string before = ReadBytes(path);
    const ScopedEnv batch("QUORVIK_EDIT_BATCH", "1");
    const ScopedEnv visual("VISUAL", QByteArray::fromStdString(Script(
                                         "editor", "sed -i 's/^BUS 1 2 3/BUS 1 2 X/' \"$1\"")));
    form.actions().editQor->trigger();
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.document().Doc.NTest, 3) << "the file stays open";
}

TEST_F(ExternalTools, AnEditorThatCannotStartIsReportedAndTheWindowComesBack)
{
    TBaseForm &form = WindowWithDemo();
    services::SetHelperProgramDirectory(QString::fromStdString(dir.File("nowhere")));
    form.actions().editQor->trigger();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Не удалось запустить редактор"});
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(form.document().CurrentTest, 0);
}

} // namespace
} // namespace qv::testing
