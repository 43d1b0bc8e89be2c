#include "model/test/funclinks.h"

#include "model/functions/funcaddress.h"
#include "model/test/stest.h"

#include <type_traits>

namespace qv {
namespace {

// The word list of a kind, const when the test is.
template <class Test>
auto *ListOf(Test &test, char kind)
{
    using List = std::conditional_t<std::is_const_v<Test>, const TWord, TWord>;
    List *list = nullptr;
    switch (kind) {
    case 'i':
        list = &test.IWords;
        break;
    case 'o':
        list = &test.OWords;
        break;
    case 'g':
        list = &test.GWords;
        break;
    default:
        break;
    }
    return list;
}

} // namespace

void SetWordLink(STest &test, char kind, int id, std::int32_t value)
{
    TWord *list = ListOf(test, kind);
    if (list && list->Find(id))
        list->SetFuncLink(id, value);
}

WordLinkFn WordLinksOf(STest &test)
{
    return [&test](char kind, int id, std::int32_t value) { SetWordLink(test, kind, id, value); };
}

int WordBusWidth(const STest &test, const TTyreAdr &tyres, char kind, int id)
{
    const TWord *list = ListOf(test, kind);
    return list ? list->BusWidth(id, tyres) : 0;
}

bool CheckAddressRange(std::int64_t end, std::string_view words, const STest &test,
                       const TTyreAdr &tyres)
{
    return CheckAddressRange(
        end, words, [&](char kind, int number) { return WordBusWidth(test, tyres, kind, number); });
}

} // namespace qv
