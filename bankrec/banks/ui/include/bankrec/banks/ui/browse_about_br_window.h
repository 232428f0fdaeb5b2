#pragma once
// The about window: product title and version, the maker's lines, a legal notice, the logo and
// a link to the maker's web site.
#include <QWidget>

class QLabel;
class QPushButton;

namespace banks {

class LinkClass;

class BrowseAboutBRWindow : public QWidget {
    Q_OBJECT
  public:
    explicit BrowseAboutBRWindow(QWidget* parent = nullptr);

    QLabel* versionLine() const { return version_; }
    QLabel* linkText() const { return link_; }
    QPushButton* okButton() const { return ok_; }
    LinkClass* links() const { return links_; }

  signals:
    void closeRequested();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLabel* version_;
    QLabel* link_;
    QPushButton* ok_;
    LinkClass* links_;
    bool linkRegistered_ = false;
};

}  // namespace banks
