#pragma once

// What the F- and S-function lists share: the direction of a function (its
// Type for F, its Mode for S) and the run-result operations the compiler's answer decoder
// calls on either list (TFunc).

#include "model/functions/funclist.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Directions: what a run does with the data file.
enum FuncDirection : std::int32_t {
    DirWriteFile = 0,   // "FW": data read from the board goes into the file
    DirReadFile = 1,    // "FR": the file is driven onto the board
    DirCompareFile = 2, // "FC": data read from the board is compared with the file
};

// "FW", "FR", "FC"; empty for any other value.
std::string_view DirectionTag(std::int32_t direction);
// The F-function's caption of a Type ("запись в файл (FW)" ...); empty otherwise.
std::string_view FuncFTypeCaption(std::int32_t type);
// The S-function's caption of a Mode ("чтение из устройства" ...); empty otherwise.
std::string_view FuncSModeCaption(std::int32_t mode);

// The shown name of a data file: "<не задано>" for an empty name.
std::string DataFileCaption(std::string_view fileName);

// A function's run-result operations, by function number n.
class TFunc
{
public:
    virtual ~TFunc() = default;

    // The record's Error flag; false when n is not listed.
    virtual bool HasError(int n) const = 0;
    // The tag of the record's direction; "NONE" when n is not listed.
    virtual std::string TypeName(int n) const = 0;
    // Replaces the record's data block (an empty block clears it).
    virtual void SetData(int n, std::vector<std::uint8_t> block) = 0;
    // The record's data block; empty when there is none or n is not listed.
    virtual std::span<const std::uint8_t> GetData(int n) const = 0;
    // The position the last run reached (-1 = none).
    virtual void SetReached(int n, std::int32_t value) = 0;

protected:
    TFunc() = default;
    TFunc(const TFunc &) = default;
    TFunc &operator=(const TFunc &) = default;
};

// The F- and S-function lists: records with a direction (Direction()), the
// run results Error and Reached, and the data block of the last run.
template <class Record>
class DataFuncList : public TFunc, public FuncList<Record>
{
public:
    bool HasError(int n) const override
    {
        const Record *record = this->ByNumber(n);
        return record && record->Error;
    }
    // The direction tag; unknownTag for a direction outside 0..2.
    std::string TypeName(int n) const override
    {
        const Record *record = this->ByNumber(n);
        if (!record)
            return "NONE";
        const std::string_view tag = DirectionTag(record->Direction());
        return std::string(tag.empty() ? m_unknownTag : tag);
    }
    void SetData(int n, std::vector<std::uint8_t> block) override
    {
        if (Record *record = this->ByNumber(n))
            record->Data = std::move(block);
    }
    std::span<const std::uint8_t> GetData(int n) const override
    {
        const Record *record = this->ByNumber(n);
        return record ? std::span<const std::uint8_t>(record->Data)
                      : std::span<const std::uint8_t>();
    }
    void SetReached(int n, std::int32_t value) override
    {
        if (Record *record = this->ByNumber(n))
            record->Reached = value;
    }

    // Forgets the last run: Reached -1, no error, no data block.
    void ResetRunResults()
    {
        for (Record &record : this->m_records) {
            record.Reached = -1;
            record.Error = false;
            record.Data.clear();
        }
    }

protected:
    DataFuncList(std::string_view className, std::string_view unknownTag)
        : FuncList<Record>(className)
        , m_unknownTag(unknownTag)
    {}

private:
    std::string_view m_unknownTag;
};

} // namespace qv
