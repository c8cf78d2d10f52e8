#pragma once

// Takes the program from process start through its message loop and back out.
int RunZorvantic(int argc, char** argv);
