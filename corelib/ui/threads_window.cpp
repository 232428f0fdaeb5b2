#include "corelib/ui/threads_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "corelib/thread_registry.h"

namespace corelib {

ThreadsWindow::ThreadsWindow(QWidget* parent)
    : QDialog(parent), list_(new QTableWidget(this)), timer_(new QTimer(this)) {
    setWindowTitle("Threads and Procedures");
    setObjectName("ThreadsWindow");
    list_->setColumnCount(7);
    list_->setHorizontalHeaderLabels(
        {"Thread", "Tree", "Procedure", "Sysid", "Info", "Count", "Max"});
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->verticalHeader()->hide();
    const QFontMetrics fm(font());
    list_->setColumnWidth(2, fm.horizontalAdvance(QString(20, 'M')));
    list_->setColumnWidth(4, fm.horizontalAdvance(QString(30, 'M')));

    auto* close = new QPushButton("Close", this);
    close->setObjectName("Close");
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addLayout(buttons);
    resize(fm.horizontalAdvance(QString(80, 'M')), 300);

    connect(timer_, &QTimer::timeout, this, &ThreadsWindow::refresh);
    timer_->start(1000);
    refresh();
}

void ThreadsWindow::refresh() {
    const auto rows = threadRegistrySnapshot();
    list_->setRowCount(static_cast<int>(rows.size()));
    auto number = [](uint32_t n) {
        auto* item = new QTableWidgetItem(QString::number(n));
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return item;
    };
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const auto& e = rows[static_cast<size_t>(i)];
        list_->setItem(i, 0, number(e.PQ_PROCEDURETHREAD));
        list_->setItem(i, 1, number(e.PQ_PROCEDURETREE));
        list_->setItem(i, 2, new QTableWidgetItem(QString::fromStdString(e.PQ_PROCEDURENAME)));
        list_->setItem(i, 3, number(e.PQ_SYSID));
        list_->setItem(i, 4, new QTableWidgetItem(QString::fromStdString(e.PQ_INFO)));
        list_->setItem(i, 5, number(e.PQ_COUNT));
        list_->setItem(i, 6, number(e.PQ_PROCEDURETREEMAX));
    }
}

bool ThreadsWindow::event(QEvent* e) {
    if (e->type() == kThreadActivateEvent) {
        if (isMinimized()) showNormal();
        raise();
        activateWindow();
        return true;
    }
    return QDialog::event(e);
}

void THREAD_DISPLAY() {
    // One window at a time: a second request brings the open one forward.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* open = qobject_cast<ThreadsWindow*>(w); open && open->isVisible()) {
            QCoreApplication::postEvent(open, new QEvent(kThreadActivateEvent));
            return;
        }
    }
    THREAD_LOG("Thread:Display");
    ThreadsWindow window(QApplication::activeWindow());
    window.setWindowModality(Qt::WindowModal);
    window.exec();
    THREAD_RETURN("Thread:Display");
}

}  // namespace corelib
