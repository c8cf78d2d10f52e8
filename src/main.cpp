#include "app/EntryRoutine.h"

int main(int argc, char** argv) {
    return RunZorvantic(argc, argv);
}
