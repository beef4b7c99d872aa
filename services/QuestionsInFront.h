#pragma once

class QWidget;

// Every question of the program (its message dialogs, Qt's own file dialogs
// and boxes, any window shown modally) opens above every window of the
// program, the ones that stay on top included, and takes the keyboard focus.
// A question hidden behind a window that stays on top leaves the program
// looking frozen: that window refuses every click while the question waits.
namespace QuestionsInFront {

// From now on, every window the application shows modally stays on top and
// is raised and activated as it shows; a window that the question blocks
// and that the window manager brings forward (the user clicked it) sends
// the question back in front. Once is enough; later calls do nothing.
void install();

// True once install() has run.
bool installed();

} // namespace QuestionsInFront
