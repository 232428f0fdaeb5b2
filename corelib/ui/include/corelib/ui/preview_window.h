#pragma once
// The preview window: the current page drawn from its page file at the chosen zoom, the page
// list ("Page", "Size"), the search results, and the controls that move through the pages, mark
// them to print and choose the copies. Every rule lives in PreviewPages; the window shows it.
#include <QAbstractTableModel>
#include <QDialog>
#include <QWidget>
#include <memory>

#include "corelib/preview_pages.h"
#include "corelib/zor_preview.h"

class QAction;
class QLabel;
class QLineEdit;
class QScrollArea;
class QSpinBox;
class QSplitter;
class QSvgRenderer;
class QTableView;
class QToolButton;

namespace corelib {

// The page list: page number with the print icon, and the file size.
class PreviewPageModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit PreviewPageModel(PreviewPages& pages, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The marks changed: repaint the icons.
    void marksChanged();

  private:
    PreviewPages& pages_;
};

// The search results: "Text found..." and "...on Page".
class PreviewHitModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit PreviewHitModel(PreviewPages& pages, QObject* parent = nullptr);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void reload();

  private:
    PreviewPages& pages_;
};

// One page drawn from its SVG file at a zoom.
class PageCanvas : public QWidget {
    Q_OBJECT
  public:
    explicit PageCanvas(QWidget* parent = nullptr);
    ~PageCanvas() override;
    // Loads the page file; false when it cannot be read (a blank page is shown).
    bool load(const std::string& file);
    void setZoom(int percent);
    // The page's size in pixels at 100%.
    QSizeF pageSize() const;

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    std::unique_ptr<QSvgRenderer> renderer_;
    int zoom_ = 100;
};

class PreviewWindow : public QDialog {
    Q_OBJECT
  public:
    PreviewWindow(PreviewPages& pages, const PreviewOptions& options, QWidget* parent = nullptr);

    PreviewAnswer answer() const { return answer_; }

    // The current page (0-based) and the zoom in percent.
    int currentPage() const { return current_; }
    int zoom() const { return zoom_; }
    void goToPage(int index);
    void setZoom(int percent);
    void fitWidth();
    void fitHeight();
    // Searches for the search field's text and shows the results.
    void search();
    void applyPagesToPrint();

    // Controls, for the tests.
    QToolButton* printAllButton() const { return printAll_; }
    QToolButton* printOneButton() const { return printOne_; }
    QToolButton* cancelButton() const { return cancel_; }
    QToolButton* zoomInButton() const { return zoomIn_; }
    QToolButton* zoomOutButton() const { return zoomOut_; }
    QToolButton* pageListButton() const { return showList_; }
    QToolButton* toggleButton() const { return toggle_; }
    QToolButton* tagWithButton() const { return tagWith_; }
    QToolButton* tagWithoutButton() const { return tagWithout_; }
    QSpinBox* pageSpin() const { return pageSpin_; }
    QSpinBox* stepSpin() const { return step_; }
    QSpinBox* copiesSpin() const { return copies_; }
    QLineEdit* pagesToPrintEdit() const { return pagesToPrint_; }
    QLineEdit* searchEdit() const { return searchText_; }
    QTableView* pageList() const { return pageList_; }
    QTableView* hitList() const { return hitList_; }
    QLabel* statusLabel() const { return status_; }
    QLabel* searchStatusLabel() const { return searchStatus_; }
    QAction* menuPrint() const { return menuPrint_; }
    QAction* menuExit() const { return menuExit_; }

  protected:
    void keyPressEvent(QKeyEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    void finish(bool print);
    void marksChanged();
    void showPageList(bool on);
    QToolButton* tool(const QString& text, const QString& tip);
    int imageWidth() const;

    PreviewPages& pages_;
    PreviewOptions options_;
    PreviewAnswer answer_;
    int current_ = 0;
    int zoom_ = 100;
    bool firstShow_ = true;
    QString appliedPagesText_;

    PreviewPageModel* pageModel_;
    PreviewHitModel* hitModel_;
    QToolButton* printAll_;
    QToolButton* printOne_;
    QToolButton* cancel_;
    QToolButton* first_;
    QToolButton* previous_;
    QToolButton* next_;
    QToolButton* last_;
    QSpinBox* pageSpin_;
    QLabel* pageCount_;
    QToolButton* showList_;
    QToolButton* zoomIn_;
    QToolButton* zoomOut_;
    QToolButton* pageWidth_;
    QToolButton* pageHeight_;
    QToolButton* zoom100_;
    QSpinBox* step_;
    QLineEdit* pagesToPrint_;
    QLineEdit* searchText_;
    QToolButton* searchButton_;
    QToolButton* tagWith_;
    QToolButton* tagWithout_;
    QSpinBox* copies_;
    QToolButton* toggle_;
    QSplitter* body_;
    QWidget* sidePanel_;
    QTableView* pageList_;
    QTableView* hitList_;
    QScrollArea* scroll_;
    PageCanvas* canvas_;
    QLabel* status_;
    QLabel* searchStatus_;
    QAction* menuPrint_;
    QAction* menuExit_;
};

// The window backend of ZOR_PREVIEW: the window, modal to the active window.
class PreviewWindowBackend : public PreviewBackend {
  public:
    PreviewAnswer show(PreviewPages& pages, const PreviewOptions& options) override;
};

// Installs the preview window as the backend of ZOR_PREVIEW (the windowed program does this at
// start-up; window tests too).
void usePreviewWindows();

}  // namespace corelib
