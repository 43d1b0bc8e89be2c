#include "support/model/testfiles.h"

#include "infra/encoding.h"
#include "model/file/container.h"

namespace qv::testing {

std::string GeneralText(int tests, const std::string &cnt, const std::vector<std::string> &extra)
{
    std::string text = "[]\r\nCNT=" + cnt + "\r\nSYS=16\r\nNTEST=" + std::to_string(tests) +
                       "\r\nFCREATE=01.02.2024 10:20:30\r\nFMODIFIED=02.02.2024 11:00:00\r\n"
                       "FVERSION=1.6\r\nFAUTHOR=\r\nFTITLE=\r\nFLOGERROR=\r\n";
    for (const auto &line : extra) {
        text += Utf8ToCp1251(line) + "\r\n";
    }
    return text;
}

std::string TestText(const std::string &name, int cycles, int start)
{
    return Utf8ToCp1251("[MAIN]\r\nNAME=" + name + "\r\nCYCLE=" + std::to_string(cycles) +
                        "\r\nSTART=" + std::to_string(start) + "\r\n");
}

std::string MakeContainer(const ContainerPlan &plan)
{
    CryptoProvider crypto;
    TTyreAdr tyres;
    for (const auto &bus : plan.buses) {
        tyres.Add(bus);
    }
    ContainerParts parts;
    parts.tyres = &tyres;
    parts.generalText = plan.general;
    parts.testTexts = plan.tests;
    parts.access.Flags = plan.flags;
    std::string padded;
    if (plan.flags & kFlagReadPassword) {
        PasswordCheck(crypto, Utf8ToCp1251(plan.readPassword), padded, parts.access.ReadCheck);
    }
    if (plan.flags & kFlagWritePassword) {
        std::string unused;
        PasswordCheck(crypto, Utf8ToCp1251(plan.writePassword), unused, parts.access.WriteCheck);
    }
    parts.readPassword = padded;
    return BuildContainer(parts, crypto, 45000.0);
}

std::string MakeContactFile(const std::vector<std::string> &names, double created, double modified)
{
    ContactFileContent content;
    content.created = created;
    content.modified = modified;
    for (std::size_t i = 0; i < names.size(); ++i) {
        content.records.push_back({static_cast<std::uint16_t>(i + 1), Utf8ToCp1251(names[i])});
    }
    CryptoProvider crypto;
    return BuildContactFile(content, crypto);
}

Container::Container(std::unique_ptr<FileStore> files)
    : file(ui, std::move(files))
{
    file.Attach({&doc, &cnt, &txt});
}

MesboFixture::MesboFixture()
{
    auto box = std::make_unique<ScriptedMesbo>();
    m_box = box.get();
    m_previous = InstallMesbo(std::move(box));
}

MesboFixture::~MesboFixture()
{
    InstallMesbo(std::move(m_previous));
}

BoardFixture::BoardFixture()
{
    WriteBytes(dir.File("BOARD.CNT"),
               MakeContactFile({"K1", "K2", "K3", "K4", "K5", "K6", "K7", "K8"}));
}

bool BoardFixture::LoadContainer(Container &c, const ContainerPlan &plan, const std::string &name)
{
    WriteBytes(Qor(name), MakeContainer(plan));
    c.doc.FileName = Qor(name);
    return c.file.Load();
}

} // namespace qv::testing
