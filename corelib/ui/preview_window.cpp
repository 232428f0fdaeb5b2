#include "corelib/ui/preview_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSvgRenderer>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include "corelib/progress.h"

namespace corelib {

namespace {

constexpr const char* kDefaultTitle = "Print Preview";
constexpr int kPageMargin = 12;  // pixels around the page image

// Searches the pages a few at a time under a progress window.
class SearchJob : public ProgressJob {
  public:
    explicit SearchJob(PreviewPages& pages) : pages_(pages) {}
    void open(ProgressView& view) override { view.setRange(0, pages_.count()); }
    bool tick(ProgressView& view) override {
        const bool more = pages_.searchStep(8);
        view.setValue(pages_.searchedPages());
        return more;
    }

  private:
    PreviewPages& pages_;
};

}  // namespace

// ---- Page list ----

PreviewPageModel::PreviewPageModel(PreviewPages& pages, QObject* parent)
    : QAbstractTableModel(parent), pages_(pages) {}

int PreviewPageModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : pages_.count();
}

int PreviewPageModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant PreviewPageModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= pages_.count()) return {};
    const PreviewPage& p = pages_.pages()[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return index.column() == 0 ? QVariant(p.PAGENUMBER) : QVariant::fromValue(p.PAGESIZE);
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::DecorationRole && index.column() == 0)
        return QApplication::style()->standardIcon(
            p.PRINTICON == 2 ? QStyle::SP_DialogApplyButton : QStyle::SP_DialogCancelButton);
    if (role == Qt::ToolTipRole) return p.PRINTPAGE ? QString("Printed") : QString("Not printed");
    return {};
}

QVariant PreviewPageModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QString("Page") : QString("Size");
}

void PreviewPageModel::marksChanged() {
    if (pages_.count() > 0) emit dataChanged(index(0, 0), index(pages_.count() - 1, 0));
}

// ---- Search results ----

PreviewHitModel::PreviewHitModel(PreviewPages& pages, QObject* parent)
    : QAbstractTableModel(parent), pages_(pages) {}

int PreviewHitModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(pages_.hits().size());
}

int PreviewHitModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant PreviewHitModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const PreviewHit& h = pages_.hits()[static_cast<size_t>(index.row())];
    if (role == Qt::DisplayRole)
        return index.column() == 0 ? QString::fromStdString(h.FOUNDTEXT) : QVariant(h.PAGE);
    if (role == Qt::TextAlignmentRole && index.column() == 1)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant PreviewHitModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    return section == 0 ? QString("Text found...") : QString("...on Page");
}

void PreviewHitModel::reload() {
    beginResetModel();
    endResetModel();
}

// ---- Page image ----

PageCanvas::PageCanvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PageCanvas::~PageCanvas() = default;

bool PageCanvas::load(const std::string& file) {
    auto renderer = std::make_unique<QSvgRenderer>();
    const bool ok = renderer->load(QString::fromStdString(file));
    renderer_ = std::move(renderer);
    setZoom(zoom_);
    update();
    return ok;
}

QSizeF PageCanvas::pageSize() const {
    if (renderer_ && renderer_->isValid()) return renderer_->defaultSize();
    return QSizeF(816, 1056);  // a letter page at 96 dpi, while no page is loaded
}

void PageCanvas::setZoom(int percent) {
    zoom_ = percent;
    const QSizeF s = pageSize() * (zoom_ / 100.0);
    setFixedSize(static_cast<int>(s.width()) + 2 * kPageMargin,
                 static_cast<int>(s.height()) + 2 * kPageMargin);
    update();
}

void PageCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    const QRectF page(kPageMargin, kPageMargin, width() - 2 * kPageMargin,
                      height() - 2 * kPageMargin);
    p.fillRect(page, Qt::white);
    p.setPen(Qt::black);
    p.drawRect(page.adjusted(-0.5, -0.5, 0.5, 0.5));
    if (renderer_ && renderer_->isValid()) {
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::TextAntialiasing);
        renderer_->render(&p, page);
    }
}

// ---- The window ----

QToolButton* PreviewWindow::tool(const QString& text, const QString& tip) {
    auto* b = new QToolButton(this);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(true);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

PreviewWindow::PreviewWindow(PreviewPages& pages, const PreviewOptions& options, QWidget* parent)
    : QDialog(parent), pages_(pages), options_(options) {
    const std::string& title = options.title;
    setWindowTitle(title.find_first_not_of(' ') == std::string::npos
                       ? QString(kDefaultTitle)
                       : QString::fromStdString(title));
    setObjectName("ZOR_PREVIEW");
    setSizeGripEnabled(true);

    auto* menuBar = new QMenuBar(this);
    QMenu* file = menuBar->addMenu("&File");
    menuPrint_ = file->addAction("&Print");
    file->addSeparator();
    menuExit_ = file->addAction("E&xit");

    printAll_ = tool("Print", "Print the report");
    printOne_ = tool("Print Page", "Print current page only");
    cancel_ = tool("Cancel", "Exit without printing");
    first_ = tool("|<", "First page");
    previous_ = tool("<", "Previous page");
    next_ = tool(">", "Next page");
    last_ = tool(">|", "Last page");
    pageSpin_ = new QSpinBox(this);
    pageSpin_->setRange(1, std::max(1, pages_.count()));
    auto* pagePrompt = new QLabel("&Page:", this);
    pagePrompt->setBuddy(pageSpin_);
    pageCount_ = new QLabel("of " + QString::number(pages_.count()), this);
    showList_ = tool("Show pagelist", "Show pagelist");
    showList_->setCheckable(true);
    zoomIn_ = tool("Zoom In", "Zoom in");
    zoomOut_ = tool("Zoom Out", "Zoom out");
    pageWidth_ = tool("Page Width", "Zoom to the page width");
    pageHeight_ = tool("Page Height", "Zoom to the page height");
    zoom100_ = tool("100%", "Zoom to 100%");
    step_ = new QSpinBox(this);
    step_->setRange(1, 100);
    step_->setValue(kZoomStepDefault);
    auto* stepPrompt = new QLabel("&Step:", this);
    stepPrompt->setBuddy(step_);

    pagesToPrint_ = new QLineEdit(this);
    pagesToPrint_->setMaxLength(static_cast<int>(kPagesToPrintMax));
    pagesToPrint_->setToolTip(
        "Valid options:  All, None, Even, Odd, individual pages (1,2,5) and page range (1-5)");
    auto* pagesPrompt = new QLabel("Pages To P&rint:", this);
    pagesPrompt->setBuddy(pagesToPrint_);
    copies_ = new QSpinBox(this);
    copies_->setRange(1, 255);
    copies_->setValue(1);
    auto* copiesPrompt = new QLabel("&Copies:", this);
    copiesPrompt->setBuddy(copies_);
    toggle_ = tool("Toggle", "Toggle Print/Not print this page");
    searchText_ = new QLineEdit(this);
    searchText_->setMaxLength(static_cast<int>(kSearchTextMax));
    auto* searchPrompt = new QLabel("&Search:", this);
    searchPrompt->setBuddy(searchText_);
    searchButton_ = tool("Search", "Search the pages for the text");
    tagWith_ = tool("Tag With", "Tag all pages with text to be printed");
    tagWithout_ = tool("Tag Without", "Tag all pages without text to be printed");

    auto* row1 = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{printAll_, printOne_, cancel_})
        row1->addWidget(w);
    row1->addSpacing(12);
    for (QWidget* w : std::initializer_list<QWidget*>{first_, previous_, next_, last_, pagePrompt,
                                                      pageSpin_, pageCount_, showList_})
        row1->addWidget(w);
    row1->addSpacing(12);
    for (QWidget* w : std::initializer_list<QWidget*>{zoomIn_, zoomOut_, pageWidth_, pageHeight_,
                                                      zoom100_, stepPrompt, step_})
        row1->addWidget(w);
    row1->addStretch();
    auto* row2 = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{pagesPrompt, pagesToPrint_, copiesPrompt,
                                                      copies_, toggle_})
        row2->addWidget(w);
    row2->addSpacing(12);
    for (QWidget* w : std::initializer_list<QWidget*>{searchPrompt, searchText_, searchButton_,
                                                      tagWith_, tagWithout_})
        row2->addWidget(w);
    row2->addStretch();

    pageModel_ = new PreviewPageModel(pages_, this);
    pageList_ = new QTableView(this);
    pageList_->setModel(pageModel_);
    hitModel_ = new PreviewHitModel(pages_, this);
    hitList_ = new QTableView(this);
    hitList_->setModel(hitModel_);
    for (QTableView* list : {pageList_, hitList_}) {
        list->setSelectionBehavior(QAbstractItemView::SelectRows);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->verticalHeader()->hide();
        list->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
        list->setShowGrid(false);
        list->setWordWrap(false);
    }
    pageList_->horizontalHeader()->setStretchLastSection(true);
    pageList_->setColumnWidth(0, fontMetrics().horizontalAdvance("00000") + 40);
    hitList_->horizontalHeader()->setStretchLastSection(false);
    hitList_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    hitList_->setColumnWidth(1, fontMetrics().horizontalAdvance("...on Page") + 16);

    sidePanel_ = new QWidget(this);
    auto* side = new QVBoxLayout(sidePanel_);
    side->setContentsMargins(0, 0, 0, 0);
    auto* lists = new QSplitter(Qt::Vertical, sidePanel_);
    lists->addWidget(pageList_);
    lists->addWidget(hitList_);
    side->addWidget(lists);
    sidePanel_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(28, 'M')));

    canvas_ = new PageCanvas(this);
    scroll_ = new QScrollArea(this);
    scroll_->setWidget(canvas_);
    scroll_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    scroll_->setBackgroundRole(QPalette::Dark);
    body_ = new QSplitter(Qt::Horizontal, this);
    body_->addWidget(sidePanel_);
    body_->addWidget(scroll_);
    body_->setStretchFactor(1, 1);
    body_->setChildrenCollapsible(false);

    auto* statusBar = new QStatusBar(this);
    status_ = new QLabel(QString::fromStdString(pages_.statusText()), this);
    searchStatus_ = new QLabel(this);
    statusBar->addWidget(status_);
    statusBar->addWidget(searchStatus_, 1);
    statusBar->setSizeGripEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(menuBar);
    layout->addLayout(row1);
    layout->addLayout(row2);
    layout->addWidget(body_, 1);
    layout->addWidget(statusBar);

    connect(menuPrint_, &QAction::triggered, this, [this] { finish(true); });
    connect(menuExit_, &QAction::triggered, this, [this] { finish(false); });
    connect(printAll_, &QToolButton::clicked, this, [this] { finish(true); });
    connect(printOne_, &QToolButton::clicked, this, [this] {
        pages_.printOnly(current_);
        finish(true);
    });
    connect(cancel_, &QToolButton::clicked, this, [this] { finish(false); });
    connect(first_, &QToolButton::clicked, this, [this] { goToPage(0); });
    connect(previous_, &QToolButton::clicked, this, [this] { goToPage(current_ - 1); });
    connect(next_, &QToolButton::clicked, this, [this] { goToPage(current_ + 1); });
    connect(last_, &QToolButton::clicked, this, [this] { goToPage(pages_.count() - 1); });
    connect(pageSpin_, &QSpinBox::valueChanged, this, [this](int v) { goToPage(v - 1); });
    connect(showList_, &QToolButton::toggled, this, [this](bool on) { showPageList(on); });
    connect(zoomIn_, &QToolButton::clicked, this,
            [this] { setZoom(corelib::zoomIn(zoom_, step_->value())); });
    connect(zoomOut_, &QToolButton::clicked, this,
            [this] { setZoom(corelib::zoomOut(zoom_, step_->value())); });
    connect(pageWidth_, &QToolButton::clicked, this, &PreviewWindow::fitWidth);
    connect(pageHeight_, &QToolButton::clicked, this, &PreviewWindow::fitHeight);
    connect(zoom100_, &QToolButton::clicked, this, [this] { setZoom(100); });
    connect(pagesToPrint_, &QLineEdit::editingFinished, this, &PreviewWindow::applyPagesToPrint);
    connect(toggle_, &QToolButton::clicked, this, [this] {
        pages_.toggle(current_);
        marksChanged();
    });
    connect(searchText_, &QLineEdit::returnPressed, this, &PreviewWindow::search);
    connect(searchButton_, &QToolButton::clicked, this, &PreviewWindow::search);
    connect(tagWith_, &QToolButton::clicked, this, [this] {
        pages_.tagFound(true);
        marksChanged();
    });
    connect(tagWithout_, &QToolButton::clicked, this, [this] {
        pages_.tagFound(false);
        marksChanged();
    });
    // Moving through either list (mouse or keys) shows the page of the row.
    connect(pageList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& i) {
                if (i.isValid()) goToPage(i.row());
            });
    connect(pageList_, &QTableView::doubleClicked, this, [this](const QModelIndex& i) {
        pages_.toggle(i.row());
        marksChanged();
    });
    connect(hitList_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& i) {
                const auto& hits = pages_.hits();
                if (i.isValid() && i.row() < static_cast<int>(hits.size()))
                    goToPage(hits[static_cast<size_t>(i.row())].PAGE - 1);
            });

    const QRect screen = QApplication::primaryScreen()
                             ? QApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1280, 1000);
    resize(std::min(1200, screen.width() - 40), std::min(900, screen.height() - 40));
    showList_->setChecked(options_.showPageList);
    showPageList(options_.showPageList);
    goToPage(0);
}

void PreviewWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!firstShow_) return;
    firstShow_ = false;
    // The fitting zooms need the window's final size.
    if (options_.zoom == kZoomFitWidth)
        fitWidth();
    else if (options_.zoom == kZoomFitHeight)
        fitHeight();
    else if (options_.zoom == kZoom100)
        setZoom(100);
    else
        setZoom(std::clamp<int>(options_.zoom, kZoomMin, kZoomMax));
}

void PreviewWindow::goToPage(int index) {
    if (pages_.count() == 0) return;
    index = std::clamp(index, 0, pages_.count() - 1);
    const bool changed = index != current_ || firstShow_;
    current_ = index;
    if (pageSpin_->value() != index + 1) {
        const QSignalBlocker block(pageSpin_);
        pageSpin_->setValue(index + 1);
    }
    first_->setEnabled(index > 0);
    previous_->setEnabled(index > 0);
    next_->setEnabled(index + 1 < pages_.count());
    last_->setEnabled(index + 1 < pages_.count());
    pageList_->selectRow(index);
    if (changed) {
        canvas_->load(pages_.pages()[static_cast<size_t>(index)].WMFFILE);
        scroll_->verticalScrollBar()->setValue(0);
    }
}

void PreviewWindow::setZoom(int percent) {
    zoom_ = percent;
    canvas_->setZoom(percent);
}

int PreviewWindow::imageWidth() const {
    // The page image area: the scroll area's viewport (the page list, when shown, already took
    // its share of the width).
    return scroll_->viewport()->width() - 2 * kPageMargin -
           (scroll_->verticalScrollBar()->isVisible()
                ? 0
                : style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void PreviewWindow::fitWidth() {
    setZoom(fitZoom(imageWidth(), canvas_->pageSize().width()));
}

void PreviewWindow::fitHeight() {
    setZoom(fitZoom(scroll_->viewport()->height() - 2 * kPageMargin, canvas_->pageSize().height()));
}

void PreviewWindow::showPageList(bool on) {
    sidePanel_->setVisible(on);
}

void PreviewWindow::applyPagesToPrint() {
    appliedPagesText_ = pagesToPrint_->text();
    pages_.applyPagesToPrint(appliedPagesText_.toStdString());
    marksChanged();
}

void PreviewWindow::search() {
    pages_.beginSearch(searchText_->text().toStdString());
    SearchJob job(pages_);
    ProgressOptions progress;
    progress.title = "Searching Pages";
    runProgress(progress, job);
    pages_.endSearch();
    hitModel_->reload();
    marksChanged();
    searchStatus_->setText(QString::fromStdString(pages_.searchStatus()));
    if (!pages_.hits().empty()) {
        // The list shows the results: make sure it can be seen, then give it the focus.
        if (!showList_->isChecked()) showList_->setChecked(true);
        hitList_->selectRow(0);
        hitList_->setFocus();
    }
}

void PreviewWindow::marksChanged() {
    pageModel_->marksChanged();
}

void PreviewWindow::finish(bool print) {
    // A pages-to-print text still being typed counts.
    if (print && pagesToPrint_->text() != appliedPagesText_) applyPagesToPrint();
    answer_.print = print;
    answer_.copies = copies_->value();
    if (print)
        accept();
    else
        reject();
}

void PreviewWindow::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_PageDown:
            goToPage(current_ + 1);
            return;
        case Qt::Key_PageUp:
            goToPage(current_ - 1);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter finishes typing in a field; it never closes the preview.
            return;
        default:
            QDialog::keyPressEvent(e);
    }
}

PreviewAnswer PreviewWindowBackend::show(PreviewPages& pages, const PreviewOptions& options) {
    QWidget* owner = QApplication::activeWindow();
    PreviewWindow window(pages, options, owner);
    window.setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    window.exec();
    return window.answer();
}

void usePreviewWindows() {
    setPreviewBackend(std::make_shared<PreviewWindowBackend>());
}

}  // namespace corelib
