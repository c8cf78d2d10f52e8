#pragma once

class TApplication;

// Creates the windows that live for the whole run, in start-up order, none shown; the
// first becomes the main window.
void CreateLongLivedWindows(TApplication& application);

// Takes the program from process start through its message loop and back out.
int RunZorvantic(int argc, char** argv);
