// The program's icon, built into the program: the application's window icon (the frame,
// the terminal windows and every dialog show it) and the picture of the About box.
#pragma once

#include <QIcon>

QIcon OrloIcon();
