#pragma once

#include <QString>

// Every tooltip in the panel is plain text. Tooltips name machines, files and hosts that came
// from the network, the disk or the store, and Qt shows any tooltip that looks like markup as
// rich text: a name such as `<img src="/dev/zero">` would load that file when hovered. The
// widgets of the control kit install this, so no screen has to remember it.
namespace PlainToolTips {

// Installs the application-wide filter; safe to call any number of times, and before the
// application exists (it then does nothing).
void install();

// The text to give QToolTip so that it shows `text` exactly as written.
QString shown(const QString& text);

} // namespace PlainToolTips
