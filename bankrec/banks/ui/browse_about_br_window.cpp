#include "bankrec/banks/ui/browse_about_br_window.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "bankrec/banks/product_texts.h"
#include "bankrec/banks/ui/browse_apbnk_window.h"
#include "bankrec/banks/ui/link_class.h"
#include "bankrec/banks/ui/product_logo.h"
#include "bankrec/shell/procedure_table.h"
#include "corelib/globals.h"

using namespace corelib;
using namespace shell;

namespace banks {

BrowseAboutBRWindow::BrowseAboutBRWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle("About Application");
    setObjectName("BrowseAboutBRWindow");

    auto* logo = new QLabel(this);
    logo->setPixmap(productLogo(96));
    logo->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    auto* title = new QLabel(product::Title, this);
    QFont tf = title->font();
    tf.setPointSizeF(tf.pointSizeF() * 1.5);
    tf.setBold(true);
    title->setFont(tf);

    version_ = new QLabel(QString::fromStdString(glo_ApplicationVersion), this);
    version_->setObjectName("?Version");
    auto* maker1 = new QLabel(product::MakerLine, this);
    auto* maker2 = new QLabel(product::MakerLine2, this);
    auto* legal = new QLabel(product::LegalLine, this);
    legal->setWordWrap(true);
    QFont lf = legal->font();
    lf.setPointSizeF(lf.pointSizeF() * 0.9);
    legal->setFont(lf);

    auto* visit = new QLabel("Visit us on the web at:", this);
    link_ = new QLabel(product::WebText, this);
    link_->setObjectName("?WebLink");
    auto* linkRow = new QHBoxLayout;
    linkRow->addWidget(visit);
    linkRow->addWidget(link_);
    linkRow->addStretch();

    auto* rule = new QFrame(this);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);

    ok_ = new QPushButton("&OK", this);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &BrowseAboutBRWindow::closeRequested);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(version_);
    text->addSpacing(8);
    text->addWidget(maker1);
    text->addWidget(maker2);
    text->addSpacing(8);
    text->addLayout(linkRow);
    text->addStretch();

    auto* top = new QHBoxLayout;
    top->addWidget(logo);
    top->addSpacing(12);
    top->addLayout(text, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(rule);
    outer->addWidget(legal);
    outer->addLayout(buttons);

    links_ = new LinkClass(this);
    setMinimumWidth(460);
}

// The link is registered once the window is on screen, so a control hidden or disabled by then
// stays plain text.
void BrowseAboutBRWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    version_->setText(QString::fromStdString(glo_ApplicationVersion));
    if (!linkRegistered_) {
        linkRegistered_ = true;
        links_->Register(link_, product::WebAddress);
    }
}

static ProcedureRegistration registerAbout("BrowseAboutBRWindow", [](shell::Session&) {
    auto* w = new BrowseAboutBRWindow;
    QObject::connect(w, &BrowseAboutBRWindow::closeRequested, w, [w] { closeSessionWindow(w); });
    return static_cast<QWidget*>(w);
});

}  // namespace banks
