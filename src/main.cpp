#include "app/HodgebinApp.h"

#include <malloc.h>

int main(int argc, char** argv) {
    // Pictures are decoded whole for a moment (a screenshot's thumbnail, a copied image). At a
    // fixed threshold such buffers are mapped and unmapped each time; glibc's own threshold rises
    // after the first one is freed and then leaves them in the heap, where a burst of decodes
    // keeps tens of MB for good.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    return HodgebinApp::main(argc, argv);
}
