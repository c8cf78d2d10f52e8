#pragma once

// Shows the busy cursor over every window of the program while it lives: for work of
// the user-interface thread that can take long (scripts, big queries, exports, reading
// a large file). Nested ones simply stack. Boxes and dialogs raised meanwhile show the
// ordinary arrow (the dialog seam sees to it).
class BusyCursor {
  public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};
