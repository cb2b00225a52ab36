#include <QApplication>

#include "app/Startup.h"

int main(int argc, char** argv) {
    // The program reads no command line: Qt gets the program name only.
    int qtArgc = argc > 0 ? 1 : 0;
    QApplication qtApp(qtArgc, argv);
    return app::runQuorvin();
}
