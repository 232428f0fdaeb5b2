#pragma once
// Turns text controls into web links: blue and underlined with the hand cursor, red while the
// mouse is over them, and opening their address in the user's browser when clicked.
#include <QColor>
#include <QObject>
#include <QString>
#include <vector>

class QWidget;

namespace banks {

class LinkClass : public QObject {
    Q_OBJECT
  public:
    explicit LinkClass(QObject* parent = nullptr);
    ~LinkClass() override;

    // Makes the control a link to the address. A control that is hidden or disabled at this
    // moment is left as ordinary text and not registered; returns whether it was registered.
    bool Register(QWidget* control, const QString& address);
    bool isRegistered(const QWidget* control) const;

    const QColor linkColor{0, 0, 255};
    const QColor hoverColor{255, 0, 0};

  protected:
    // A registered link without an address was clicked: there is nothing to open.
    virtual void linkWithoutAddress(QWidget* control);
    // Opens the address in the desktop's browser (or mail program); returns whether it could.
    virtual bool openAddress(const QString& address);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    struct Entry {
        QWidget* control;
        QString address;
    };
    Entry* find(const QObject* control);
    void setTextColor(QWidget* control, const QColor& color);

    std::vector<Entry> entries_;
};

}  // namespace banks
