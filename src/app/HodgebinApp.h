#pragma once

// The program's entry: reads the command line, keeps to one running instance, and starts the
// application delegate.
class HodgebinApp {
public:
    static int main(int argc, char** argv);
};
