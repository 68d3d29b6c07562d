#pragma once
// How much one page, with all its frames, has asked of the user since the
// user last went elsewhere. Its script boxes, logins and permission
// questions count together, whatever site each frame comes from, and one
// stop ticked in any of their boxes ends them all.
namespace platform {

class PageAsking {
public:
    // A box of the page's shows: true when it offers the stop, which it
    // does from the page's second box on.
    bool NoteShown() { return ++shown_ >= 2; }
    bool Stopped() const { return stopped_; }
    void Stop() { stopped_ = true; }
    // The page is left. Its count and stop go only when the user moved on:
    // a page that reloads itself stays stopped.
    void Leave(bool userMovedOn) {
        if (userMovedOn)
            *this = {};
    }

private:
    int shown_ = 0;
    bool stopped_ = false;
};

} // namespace platform
