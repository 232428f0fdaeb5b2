#include "corelib/ui/message_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace corelib {

namespace {

QStyle::StandardPixmap iconFor(const std::string& name) {
    const QString n = QString::fromStdString(name).toLower();
    if (n.contains("exclamation")) return QStyle::SP_MessageBoxWarning;
    if (n.contains("question")) return QStyle::SP_MessageBoxQuestion;
    if (n.contains("hand")) return QStyle::SP_MessageBoxCritical;
    return QStyle::SP_MessageBoxInformation;  // Asterisk, and the service's own default
}

}  // namespace

MessageWindow::MessageWindow(const MessageRequest& request, QWidget* parent)
    : QDialog(parent),
      text_(new QLabel(this)),
      link_(new QLabel(this)),
      timeOut_(new QLabel(this)),
      dontShow_(new QCheckBox(QString::fromStdString(request.dontShowAgain), this)) {
    setObjectName("MessageWindow");
    setWindowTitle(QString::fromStdString(request.caption));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(iconFor(request.icon), nullptr, this).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);

    text_->setText(QString::fromStdString(request.text));
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text_->setObjectName("MessageText");
    text_->setMinimumWidth(fontMetrics().horizontalAdvance(QString(30, 'x')));
    text_->setMaximumWidth(fontMetrics().horizontalAdvance(QString(90, 'x')));

    // The hyperlink line and the time-out counter are carried but stay empty and inactive.
    link_->setObjectName("MessageLink");
    link_->setOpenExternalLinks(false);
    link_->hide();
    timeOut_->setText(QString::fromStdString(request.timeOutPrompt));
    timeOut_->setObjectName("MessageTimeOut");
    timeOut_->hide();
    dontShow_->setChecked(false);
    dontShow_->setObjectName("DontShowThisAgain");

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addSpacing(12);
    top->addWidget(text_, 1);

    auto* row = new QHBoxLayout;
    row->addStretch();
    QPushButton* focus = nullptr;
    int widest = 0;
    for (int i = 0; i < 8; ++i) {
        const int32_t value = 1 << i;
        if (!(request.buttons & value)) continue;
        auto* b = new QPushButton(QString::fromStdString(request.captions[i]), this);
        b->setObjectName(QString("Button%1").arg(value));
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, [this, value] { answerWith(value); });
        buttons_[value] = b;
        widest = std::max(widest, b->sizeHint().width());
        if (value == request.defaultButton) focus = b;
        row->addWidget(b);
    }
    row->addStretch();
    for (auto& [value, b] : buttons_) b->setMinimumWidth(widest);
    if (!focus && !buttons_.empty()) focus = buttons_.begin()->second;
    if (focus) {
        focus->setDefault(true);
        focus->setFocus();
    }

    if (buttons_.count(msg::Cancel))
        escape_ = msg::Cancel;
    else if (buttons_.count(msg::No))
        escape_ = msg::No;
    else if (buttons_.size() == 1 && buttons_.count(msg::OK))
        escape_ = msg::OK;

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(link_);
    layout->addWidget(timeOut_);
    layout->addWidget(dontShow_);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QPushButton* MessageWindow::button(int32_t value) const {
    auto it = buttons_.find(value);
    return it == buttons_.end() ? nullptr : it->second;
}

QString MessageWindow::text() const {
    return text_->text();
}

void MessageWindow::answerWith(int32_t value) {
    if (answer_) return;
    answer_ = value;
    emit answered(value);
}

void MessageWindow::reject() {
    if (escape_) answerWith(escape_);
}

void MessageWindow::closeEvent(QCloseEvent* e) {
    e->ignore();
    reject();
}

int32_t MessageWindowBackend::show(const MessageRequest& request) {
    if (!QApplication::instance()) {
        std::cerr << request.caption << ": " << request.text << std::endl;
        return request.defaultButton;
    }
    while (windowOpen_) {
        QEventLoop wait;
        waiting_.push_back(&wait);
        wait.exec();
        std::erase(waiting_, &wait);
        // Still open: the loop was ended from outside (the application is quitting).
        if (windowOpen_) return request.defaultButton;
    }
    windowOpen_ = true;
    MessageWindow window(request, QApplication::activeWindow());
    window.setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(&window, &MessageWindow::answered, &loop, [&] {
        // The window is closed from here on: a message waiting for it may now be shown, even
        // though this call returns only when the event loop unwinds to it.
        window.hide();
        windowOpen_ = false;
        for (QEventLoop* w : waiting_) w->quit();
        loop.quit();
    });
    window.show();
    window.raise();
    window.activateWindow();
    loop.exec();
    if (window.answer()) return window.answer();
    // The loop ended without a button (the application is quitting).
    windowOpen_ = false;
    for (QEventLoop* w : waiting_) w->quit();
    return window.escapeAnswer() ? window.escapeAnswer() : request.defaultButton;
}

void MessageWindowBackend::beep() {
    QApplication::beep();
}

void MessageWindowBackend::halt(int32_t exitCode) {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::exit(exitCode);
}

}  // namespace corelib
