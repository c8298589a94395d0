// Start-up: the application object and the program's entry point.
#include "app/MembraneApp.h"

#include "ui/MembraneDlg.h"

CMembraneApp::CMembraneApp(int& argc, char** argv) : QApplication(argc, argv) {}

bool CMembraneApp::InitInstance()
{
    CMembraneDlg dlg;
    dlg.exec();
    return false;
}

int main(int argc, char** argv)
{
    CMembraneApp app(argc, argv);
    app.InitInstance();
    return 0;
}
