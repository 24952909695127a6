#pragma once

#include <QCoreApplication>

// The program's entry: reads the command line, keeps to one running instance, and starts the
// application delegate.
class HodgebinApp {
    // What it prints for the terminal is translated under its name; no application object need
    // exist yet.
    Q_DECLARE_TR_FUNCTIONS(HodgebinApp)

public:
    static int main(int argc, char** argv);
};
