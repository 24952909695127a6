#include "app/HodgebinApp.h"

int main(int argc, char** argv) {
    return HodgebinApp::main(argc, argv);
}
