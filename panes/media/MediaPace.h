#pragma once
// Holds a page to a human pace with its media. Each play, pause and media
// session change a page makes costs the program's own process (the engine
// tells it of each), so a page flipping them thousands of times a second
// would set the program's pace. A script of ours, in the page's own world
// from the document's start, lets a page make a few dozen such changes in
// each quarter of a second; the rest wait for the next quarter, where only
// the newest of each kind is made. A page at a human pace never notices.
class QWebEnginePage;

namespace platform {

void HoldMediaPace(QWebEnginePage* page);

} // namespace platform
