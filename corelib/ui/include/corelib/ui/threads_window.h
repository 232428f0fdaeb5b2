#pragma once
// The "Threads and Procedures" window: the thread registry in key order, refreshed while open.
#include <QDialog>

class QTableWidget;
class QTimer;

namespace corelib {

// Opens the "Threads and Procedures" window (brings it forward when it is open already).
void THREAD_DISPLAY();

class ThreadsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit ThreadsWindow(QWidget* parent = nullptr);
    // Re-reads the registry into the list.
    void refresh();

  protected:
    bool event(QEvent* e) override;

  private:
    QTableWidget* list_;
    QTimer* timer_;
};

}  // namespace corelib
