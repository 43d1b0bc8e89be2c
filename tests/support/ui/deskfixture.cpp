#include "support/ui/deskfixture.h"

#include "execution/port/testerport.h"
#include "infra/encoding.h"
#include "infra/notice.h"
#include "model/document/quorvik.h"

#include <QTest>
#include <filesystem>

namespace qv::testing {

bool HasRedText(const QImage &image, const QRect &area)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.red() > 180 && c.green() < 90 && c.blue() < 90)
                return true;
        }
    return false;
}

DeskFixture::DeskFixture()
{
    store.SetNotices(MessageBoxNotices());
}

DeskFixture::~DeskFixture()
{
    window.reset();
}

QString DeskFixture::Demo(const std::string &sub)
{
    const std::filesystem::path source =
        std::filesystem::path(qEnvironmentVariable("QORVIK_BINARY_DIR").toStdString()) /
        "examples" / "demo";
    const std::filesystem::path target = dir.Path() / sub;
    if (!std::filesystem::exists(target)) {
        std::filesystem::create_directories(target);
        for (const auto &entry : std::filesystem::directory_iterator(source))
            std::filesystem::copy_file(entry.path(), target / entry.path().filename());
    }
    return QString::fromStdString((target / "DEMO.QOR").string());
}

void DeskFixture::WriteSettings(const std::string &text)
{
    WriteBytes(dir.File("quorvik.cfg"), Utf8ToCp1251(text));
    store.Load(nullptr, false);
}

TBaseForm &DeskFixture::Window()
{
    window = std::make_unique<TBaseForm>(&store);
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return *window;
}

TBaseForm &DeskFixture::WindowWithDemo()
{
    TBaseForm &form = Window();
    EXPECT_TRUE(form.OpenFile(Demo()));
    EXPECT_EQ(form.Document().Doc().NTest, 3);
    return form;
}

std::vector<std::string> DeskFixture::Messages() const
{
    std::vector<std::string> texts;
    for (const auto &message : const_cast<ScopedMesbo &>(mesbo)->ShownMessages())
        texts.push_back(message.text);
    return texts;
}

void DeskFixture::UseFakeDataEditor()
{
    const std::string script = dir.File("fake-editor");
    WriteBytes(script, "#!/bin/sh\necho \"$@\" > '" + marker + ".part'; mv '" + marker +
                           ".part' '" + marker + "'\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    store.Settings().DataEditor = script;
}

::testing::AssertionResult DeskFixture::DataEditorRanOn(const std::string &file) const
{
    const std::string expected = file + "\n";
    if (QTest::qWaitFor([&] { return ReadBytes(marker) == expected; }, 10000))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "the data editor ran on \"" << ReadBytes(marker) << "\", not on \"" << file << "\"";
}

} // namespace qv::testing
