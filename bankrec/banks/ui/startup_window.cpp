#include "bankrec/banks/ui/startup_window.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

#include "bankrec/banks/product_texts.h"
#include "bankrec/banks/ui/product_logo.h"
#include "corelib/globals.h"

using namespace corelib;

namespace banks {

namespace {
QLabel* label(const QString& text, QWidget* parent, qreal scale, bool bold,
              const QColor& color = QColor(240, 246, 248)) {
    auto* l = new QLabel(text, parent);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * scale);
    f.setBold(bold);
    l->setFont(f);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, color);
    l->setPalette(p);
    return l;
}
}  // namespace

StartupWindow::StartupWindow(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setModal(false);
    setObjectName("LoadFIAThread");
    setWindowTitle("Initializing Bank Reconciliation");
    setFixedSize(560, 330);

    auto* logo = new QLabel(this);
    logo->setPixmap(productLogo(84));
    logo->setAlignment(Qt::AlignTop);

    auto* title = label(product::Title, this, 1.9, true, Qt::white);
    title->setWordWrap(true);
    version_ = label(QString::fromStdString(glo_ApplicationVersion), this, 1.1, false,
                     QColor(190, 226, 232));
    version_->setObjectName("?Version");
    auto* maker1 = label(product::MakerLine, this, 1.0, true);
    auto* maker2 = label(product::MakerLine2, this, 0.95, false);
    auto* legal = label(product::LegalLine, this, 0.8, false, QColor(170, 200, 208));
    legal->setWordWrap(true);
    status_ = label("Initializing Bank Reconciliation", this, 0.9, false, QColor(220, 236, 240));

    bar_ = new QProgressBar(this);
    bar_->setTextVisible(false);
    bar_->setFixedHeight(10);
    bar_->setRange(0, 0);
    bar_->setStyleSheet(
        "QProgressBar { background: rgba(255,255,255,40); border: none; border-radius: 5px; }"
        "QProgressBar::chunk { background: #ffc440; border-radius: 5px; }");

    auto* heading = new QVBoxLayout;
    heading->setSpacing(2);
    heading->addWidget(title);
    heading->addWidget(version_);
    heading->addStretch();

    auto* top = new QHBoxLayout;
    top->setSpacing(18);
    top->addWidget(logo);
    top->addLayout(heading, 1);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(32, 28, 32, 22);
    outer->addLayout(top);
    outer->addSpacing(14);
    outer->addWidget(maker1);
    outer->addWidget(maker2);
    outer->addStretch();
    outer->addWidget(status_);
    outer->addWidget(bar_);
    outer->addSpacing(8);
    outer->addWidget(legal);
}

void StartupWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, width(), height());
    g.setColorAt(0, QColor(16, 82, 98));
    g.setColorAt(1, QColor(8, 36, 56));
    p.fillRect(rect(), g);
    p.setPen(QPen(QColor(255, 196, 64), 4));
    p.drawLine(0, 2, width(), 2);
    p.setPen(QColor(4, 24, 36));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void StartupWindow::setTitle(const std::string&) {}

void StartupWindow::setText(const std::string& text) {
    if (!text.empty()) status_->setText(QString::fromStdString(text));
}

void StartupWindow::setRange(int64_t low, int64_t high) {
    if (high < low) high = low;
    bar_->setRange(int(low), int(high));
    version_->setText(QString::fromStdString(glo_ApplicationVersion));
}

void StartupWindow::setValue(int64_t value) {
    bar_->setValue(int(value));
}

void StartupWindow::setPercent(int) {}

}  // namespace banks
