#pragma once
// Remembers where each window was: its place under the procedure's subkey of the program key
// (WdwXpos, WdwYpos, WdwWidth, WdwHeight, WdwMaximize, CompileDate, CompileTime), and the
// column layout of its lists. A window inside the frame's MDI area is placed through its
// sub-window. The frame does this itself for the windows of the sessions it starts; forms and
// other windows call restore() once they are built and save() when they close.
// Nothing happens while the program key is not set (glo_ApplicationName empty).
#include <string>

class QHeaderView;
class QWidget;

namespace shell {

namespace WindowPlace {

// Applies the remembered place of `procedure` to the window (unless it is maximized already).
void restore(QWidget* window, const std::string& procedure);
// True when a place of the procedure is remembered (its WdwWidth is set).
bool remembered(const std::string& procedure);
// Writes the window's place: WdwMaximize first; a maximized window is restored to normal size
// before its geometry is taken; a minimized one keeps its old geometry; then CompileDate and
// CompileTime.
void save(QWidget* window, const std::string& procedure);

// The column layout of a list (widths, order, sort indicator) under the procedure's subkey.
void saveColumns(const QHeaderView* header, const std::string& procedure,
                 const std::string& valueName = "ListFormat");
// false when nothing was remembered or the stored layout does not fit the header.
bool restoreColumns(QHeaderView* header, const std::string& procedure,
                    const std::string& valueName = "ListFormat");

}  // namespace WindowPlace

}  // namespace shell
