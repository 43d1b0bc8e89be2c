#pragma once

// Test support: a document built by hand, test by test, with the words and
// functions a case needs, and the image bytes compared as numbers.

#include "model/document/documentobserver.h"
#include "model/document/quorvik.h"
#include "model/file/scriptedfileui.h"
#include "model/test/stest.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace qv::testing {

struct DocBuilder
{
    NullDocumentObserver observer;
    ScriptedFileUi ui;
    TQuorvik doc{observer, ui};

    STest &AddTest(const std::string &d1, const std::string &d2, int cycles, int start = 0)
    {
        auto test = std::make_unique<STest>();
        test->Tacts.D1 = d1;
        test->Tacts.D2 = d2;
        test->Cycles = cycles;
        test->StartTact = start;
        STest &ref = *test;
        doc.Doc().Tests[static_cast<std::size_t>(doc.Doc().NTest)] = std::move(test);
        ++doc.Doc().NTest;
        return ref;
    }

    // A bus of the given 1-based contacts.
    void AddBus(std::initializer_list<int> contacts)
    {
        std::string def;
        for (const int c : contacts)
            def.push_back(static_cast<char>(c));
        doc.Doc().Tyres.Add(def);
    }

    static void AddLine(STest &test, int contact, const std::string &levels)
    {
        test.Tacts.AddLine();
        TLine line;
        line.Contact = contact;
        line.Levels = levels;
        test.Tacts.SetLine(test.Tacts.Count() - 1, line);
    }

    static void AddWord(TWord &list, int id, const std::string &name, int tyre, int code,
                        const std::string &data)
    {
        list.Add(id);
        SWord word = *list.Find(id);
        word.Name = name;
        word.Tyre = tyre;
        word.Code = code;
        word.Data = data;
        word.Run = data;
        list.Replace(word);
    }
};

// Little-endian bytes of a list of (value, width) pairs.
struct Bytes
{
    std::vector<std::uint8_t> bytes;
    Bytes &u8(std::uint32_t v)
    {
        bytes.push_back(static_cast<std::uint8_t>(v));
        return *this;
    }
    Bytes &u16(std::uint32_t v) { return u8(v).u8(v >> 8); }
    Bytes &u32(std::uint32_t v) { return u16(v).u16(v >> 16); }
    Bytes &text(const std::string &t)
    {
        u8(static_cast<std::uint32_t>(t.size()));
        for (const char c : t)
            u8(static_cast<std::uint8_t>(c));
        return *this;
    }
};

} // namespace qv::testing
