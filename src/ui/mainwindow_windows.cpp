// The main window: the commands that open the file properties, the
// settings, the calibration windows, the help and the about box.

#include "model/quorvik.h"
#include "model/testfile.h"
#include "ui/file/propertieswindow.h"
#include "ui/mainwindow.h"

namespace qv {

void TBaseForm::connectWindowCommands()
{
    const desk::MainActions &a = m_actions;
    connect(a.fileInfo, &QAction::triggered, this, [this] { showFileProperties(); });
}

void TBaseForm::showFileProperties()
{
    const TTestFile *testFile = m_document->TestFile();
    const bool open = fileOpen();
    file::TfmFileProperties window(open ? &m_document->Doc : nullptr, m_document->Cnt,
                                   testFile != nullptr ? testFile->Flags() : 0, this);
    window.exec();
}

} // namespace qv
