#include "ui/functions/functionwindows.h"

#include "model/document/quorvik.h"
#include "ui/functions/funcfwindow.h"
#include "ui/functions/funcmwindow.h"
#include "ui/functions/funcpwindow.h"
#include "ui/functions/funcswindow.h"
#include "ui/functions/funcvwindow.h"

namespace qv::functions {

bool OpenFunctionWindow(QWidget *parent, TQuorvik &doc, STest &test, char kind, int number,
                        const OscillogramColours &colours)
{
    switch (kind) {
    case 'F': {
        TfmFuncF window(doc, test, number, parent);
        window.exec();
        return true;
    }
    case 'M': {
        TfmFuncM window(doc, test, number, parent);
        window.exec();
        return true;
    }
    case 'P': {
        TfmFuncP window(doc, test, number, parent);
        window.exec();
        return true;
    }
    case 'S': {
        TfmFuncS window(doc, test, number, parent);
        window.exec();
        return true;
    }
    case 'V': {
        TfmFuncV window(test, colours, number, parent);
        window.exec();
        return true;
    }
    default:
        return false;
    }
}

} // namespace qv::functions
