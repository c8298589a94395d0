// CMembraneApp: the application object. Its only work is to run the main dialog modally.
#pragma once

#include <QApplication>

class CMembraneApp : public QApplication {
public:
    CMembraneApp(int& argc, char** argv);
    // Runs the main dialog until it is closed; returns false, there is nothing more to run.
    bool InitInstance();
};
