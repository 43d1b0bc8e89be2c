#pragma once

// The largest test a run carries: 128 tacts, 16 cycles, 16 input, output
// and generator words on four 16-bit buses, 16 level lines. Shared by the
// benchmarks of the compiler and of whole runs.

#include "model/test/stest.h"
#include "support/model/docbuilder.h"

#include <memory>
#include <string>

namespace qv::bench {

constexpr int kTacts = 128;
constexpr int kCycles = 16;
constexpr int kWords = 16;

// 128 tacts, 16 cycles, 16 input, output and generator words on four
// 16-bit buses, 16 level lines.
struct LargestTest : qv::testing::DocBuilder
{
    LargestTest()
    {
        for (int b = 0; b < 4; ++b) {
            std::string def;
            for (int i = 1; i <= 16; ++i)
                def.push_back(static_cast<char>(b * 16 + i));
            doc.Doc().Tyres.Add(def);
        }
        auto test = std::make_unique<qv::STest>();
        test->Cycles = kCycles;
        test->StartTact = 1;
        // A column names its item by one hex digit, so words 1..15 get
        // columns; all 16 generator words travel anyway.
        std::string d1(kTacts, '-'), d2(kTacts, '0');
        const char *hex = "0123456789ABCDEF";
        for (std::size_t w = 1; w < kWords; ++w) {
            for (std::size_t k = 0; k < 3; ++k) {
                d1[3 * w + k - 2] = "gio"[k];
                d2[3 * w + k - 2] = hex[w];
            }
        }
        test->Tacts.D1 = d1;
        test->Tacts.D2 = d2;
        for (int l = 0; l < 16; ++l) {
            test->Tacts.AddLine();
            qv::TLine line;
            line.Contact = 64 + l;
            for (int t = 0; t < kTacts; ++t)
                line.Levels.push_back(((t + l) / 4) % 2 ? '-' : '_');
            test->Tacts.SetLine(l, line);
        }
        for (int w = 1; w <= kWords; ++w) {
            std::string data;
            for (int c = 0; c < kCycles; ++c)
                data.append(c ? "/" : "").append(std::to_string((w * 131 + c * 17) & 0xFFFF));
            const std::string name = std::string("w").append(std::to_string(w));
            AddWord(test->IWords, w, name, (w - 1) % 4, w % 2, data);
            AddWord(test->OWords, w, name, (w - 1) % 4, w % 2, data);
            AddWord(test->GWords, w, name, 1, 40 + w, data);
        }
        doc.Doc().Tests[0] = std::move(test);
        doc.Doc().NTest = 1;
    }
};

} // namespace qv::bench
