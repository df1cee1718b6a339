#pragma once

#include <QIcon>

// The main window's pictures, drawn by the program itself. Numbers are the places in the image
// lists that the actions name: 0 infantry, 1 run the game, 2 apply changes, 3 vehicles, 4 the
// units table, 15 tile horizontally, 16 tile vertically, 17 cascade.
namespace MainImages {

// A 16 x 16 picture for the menus.
QIcon Menu(int index);
// A 30 x 30 picture for the big toolbar: muted normally, in full colour under the mouse.
QIcon Toolbar(int index);

}  // namespace MainImages
