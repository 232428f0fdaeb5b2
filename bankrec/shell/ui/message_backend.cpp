#include "bankrec/shell/ui/message_backend.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdlib>

#include "corelib/message.h"

namespace {

QMessageBox::Icon iconFor(const std::string& name) {
    if (name == icon::Exclamation) return QMessageBox::Warning;
    if (name == icon::Question) return QMessageBox::Question;
    if (name == icon::Hand) return QMessageBox::Critical;
    if (name == icon::Information) return QMessageBox::Information;
    return QMessageBox::NoIcon;
}

// A plain message window: the request's text, caption, icon and buttons with their captions.
class WindowMessages : public MessageBackend {
  public:
    int32_t show(const MessageRequest& request) override {
        QMessageBox box(iconFor(request.icon), QString::fromStdString(request.caption),
                        QString::fromStdString(request.text), QMessageBox::NoButton,
                        QApplication::activeWindow());
        box.setTextFormat(Qt::PlainText);
        int32_t first = 0;
        for (int i = 0; i < 8; ++i) {
            const int32_t value = 1 << i;
            if (!(request.buttons & value)) continue;
            if (!first) first = value;
            QString caption = QString::fromStdString(request.captions[i]);
            QPushButton* b = box.addButton(caption, QMessageBox::ActionRole);
            b->setProperty("buttonValue", value);
            if (value == (request.defaultButton ? request.defaultButton : first))
                box.setDefaultButton(b);
        }
        if (!first) {
            box.addButton(QMessageBox::Ok)->setProperty("buttonValue", msg::OK);
            first = msg::OK;
        }
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        return clicked ? clicked->property("buttonValue").toInt() : first;
    }
    void beep() override { QApplication::beep(); }
    [[noreturn]] void halt(int32_t exitCode) override { std::exit(exitCode); }
};

}  // namespace

std::unique_ptr<MessageBackend> makeWindowMessageBackend() {
    return std::make_unique<WindowMessages>();
}
