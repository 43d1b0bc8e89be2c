#include "ui/lists/listopener.h"

#include "model/document/quorvik.h"
#include "ui/lists/generatorwindows.h"
#include "ui/lists/viewerwindows.h"
#include "ui/lists/wordwindows.h"

#include <memory>

namespace qv::lists {

bool OpenList(QWidget *parent, TQuorvik &doc, char kind, int number)
{
    return OpenList(parent, doc, kind, number, doc.CurrentTest());
}

bool OpenList(QWidget *parent, TQuorvik &doc, char kind, int number, int testIndex, int cycle)
{
    STest *test = doc.Test(testIndex);
    // The buses belong to the file: any test carries the window.
    if (!test && kind == 'T')
        test = doc.Test(0);
    if (!test)
        return false;
    std::unique_ptr<ListWindow> window;
    switch (kind) {
    case 'i':
        window = std::make_unique<TfmIWord>(doc, *test, number, parent);
        break;
    case 'o':
    case 'O':
        window = std::make_unique<TfmOWord>(doc, *test, number, parent);
        break;
    case 'g':
        window = std::make_unique<TfmGWord>(doc, *test, number, parent);
        break;
    case 'G':
        window = std::make_unique<TfmFuncG>(doc, *test, number, parent);
        break;
    case 'T':
        window = std::make_unique<TfmTyreData>(doc, *test, number, parent);
        break;
    default:
        return false;
    }
    if (cycle > 0)
        window->ShowCycle(cycle);
    window->exec();
    return true;
}

} // namespace qv::lists
