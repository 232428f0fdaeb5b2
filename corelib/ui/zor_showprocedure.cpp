#include "corelib/ui/zor_showprocedure.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "corelib/picture.h"
#include "corelib/thread_registry.h"

namespace corelib {

namespace {

std::string escapeField(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '%':
                out += "%25";
                break;
            case '&':
                out += "%26";
                break;
            case '?':
                out += "%3F";
                break;
            case '#':
                out += "%23";
                break;
            case '"':
                out += "%22";
                break;
            default:
                out += c;
        }
    }
    return out;
}

QLabel* value(const std::string& text, QWidget* parent) {
    auto* l = new QLabel(QString::fromStdString(text), parent);
    l->setTextFormat(Qt::PlainText);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

}  // namespace

std::string supportMailLink(const std::string& address, const std::string& component,
                            const std::string& description, const std::string& version,
                            const std::string& attachment) {
    std::string link = "mailto:" + escapeField(address) + "?subject=" + escapeField(component) +
                       "/" + escapeField(description) + " Version " + escapeField(version) +
                       "&body=" + "Problem Description:";
    if (!attachment.empty())
        link += "%0A%0C&attachment; filename=\"" + escapeField(attachment) + "\"";
    return link;
}

ProcedureInfoWindow::ProcedureInfoWindow(const std::string& component,
                                         const std::string& description, const std::string& version,
                                         const std::string& sourceName,
                                         const std::string& procedureName, int32_t dateChanged,
                                         QWidget* parent)
    : QDialog(parent), link_(supportMailLink(kSupportAddress, component, description, version)) {
    setObjectName("ProcedureInfoWindow");
    setWindowTitle("Procedure Information...");
    auto* form = new QFormLayout;
    form->addRow("Component:", value(component, this));
    form->addRow("Description:", value(description, this));
    form->addRow("Version:", value(version, this));
    form->addRow("Source Name:", value(sourceName, this));
    form->addRow("Procedure Name:", value(procedureName, this));
    auto* date =
        value(dateChanged ? picture::formatDate("@d17", dateChanged) : std::string(), this);
    date->setObjectName("DateLastChanged");
    form->addRow("Date Last Changed:", date);

    auto* close = new QPushButton("Close", this);
    close->setObjectName("Close");
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* support = new QPushButton("&Support", this);
    support->setObjectName("Support");
    support->setToolTip("Send an e-mail to Kestrelmoor support about this procedure");
    connect(support, &QPushButton::clicked, this, [this] {
        QDesktopServices::openUrl(QUrl(QString::fromStdString(link_), QUrl::TolerantMode));
        accept();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(support);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
}

void ZOR_SHOWPROCEDURE(const std::string& component, const std::string& description,
                       const std::string& version, const std::string& sourceName,
                       const std::string& procedureName, int32_t dateChanged) {
    THREAD_LOG("ZOR_SHOWPROCEDURE");
    ProcedureInfoWindow window(component, description, version, sourceName, procedureName,
                               dateChanged, QApplication::activeWindow());
    window.setWindowModality(Qt::WindowModal);
    window.exec();
    THREAD_RETURN("ZOR_SHOWPROCEDURE");
}

}  // namespace corelib
