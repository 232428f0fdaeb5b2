#pragma once
// Window capture as the program offers it. Ctrl+left click on any window of the program (the
// frame, its sub-windows, dialogs, message and progress windows) pops up "&Print Window",
// "&Save Window" and "Place Window in &Clipboard", which print the window, save it as a
// bitmap or JPEG file, or put it on the clipboard. The frame's File menu gets a Capture menu
// for a dragged screen area and the clipboard. Failures are shown through CAP_ERROR; a
// cancelled dialog or selection shows nothing.
#include <QObject>
#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace shell {

class CaptureWiring : public QObject {
    Q_OBJECT
  public:
    // The popup choices, in their order.
    enum Choice { PrintWindow = 1, SaveWindow = 2, ClipboardWindow = 3 };

    // Watches every window of the application from now until the object goes.
    explicit CaptureWiring(QObject* parent = nullptr);
    ~CaptureWiring() override;

    // The Capture menu (object name "CaptureMenu"), made on first use, owned by `parent`.
    QMenu* menu(QWidget* parent);

    // Asks for the name of a file to save to; "" when cancelled. `jpeg` is set when the user
    // chose the JPEG filter. The default is the file-save dialog.
    using FileChooser = std::function<QString(QWidget* parent, bool* jpeg)>;
    void setFileChooser(FileChooser chooser);

    // The window a click on `widget` captures: its sub-window, else its top-level window;
    // nullptr for popups (menus, lists) and the selection window.
    static QWidget* windowOf(QWidget* widget);
    // Carries out a popup choice on the window.
    void run(QWidget* window, Choice choice);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void popup(QWidget* window, const QPoint& at);
    void saveSelectedArea(QWidget* parent);
    void saveClipboard(QWidget* parent);
    void showClipboard(QWidget* parent);

    FileChooser chooseFile_;
    QMenu* menu_ = nullptr;
};

}  // namespace shell
