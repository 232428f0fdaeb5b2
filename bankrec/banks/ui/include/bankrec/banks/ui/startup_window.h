#pragma once
// The start-up window shown while the bank accounts are refreshed from the suite at program
// start: the product title, its version, the maker's lines, the legal notice and a progress bar.
#include <QDialog>

#include "corelib/progress.h"

class QLabel;
class QProgressBar;

namespace banks {

class StartupWindow : public QDialog, public corelib::ProgressView {
    Q_OBJECT
  public:
    explicit StartupWindow(QWidget* parent = nullptr);

    void setTitle(const std::string& title) override;
    void setText(const std::string& text) override;
    void setRange(int64_t low, int64_t high) override;
    void setValue(int64_t value) override;
    void setPercent(int percent) override;

    QLabel* versionLine() const { return version_; }
    QProgressBar* progressBar() const { return bar_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QLabel* version_;
    QLabel* status_;
    QProgressBar* bar_;
};

}  // namespace banks
