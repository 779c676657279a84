// SPDX-License-Identifier: GPL-3.0-or-later
#include "Form1.h"

#include "Addresses.h"
#include "Main.h"
#include "Utility.h"
#include "file_list/AddFolder.h"
#include "file_list/FileList.h"
#include "file_list/OpenDialogAdder.h"
#include "platform/ProgramFiles.h"
#include "platform/widgets/DesktopDialogs.h"
#include "platform/widgets/ListView.h"
#include "platform/widgets/Pointer.h"
#include "platform/widgets/ProgressBarColor.h"
#include "platform/widgets/PushButtonCheckBox.h"
#include "platform/widgets/Twips.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

namespace quillsift::main_window {

using platform::twipsRect;
using platform::twipsToPixels;

namespace {
constexpr int ClientWidthTwips = 7335;
constexpr int ClientHeightTwips = 4935;
constexpr quint32 WhiteBgr = 0x00FFFFFF;

QFont arial(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QPixmap blankIcon()
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void whiten(QWidget& widget)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::Button, Qt::white);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}
} // namespace

Form1::Form1(RunHost host, platform::Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_host(std::move(host))
    , m_services(services)
{
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(twipsToPixels(ClientWidthTwips), twipsToPixels(ClientHeightTwips));
    whiten(*this);
    setWindowIcon(QIcon(blankIcon()));
    setMouseTracking(true);
    createControls();
    m_fileList = std::make_unique<file_list::FileList>(*ListView1, *this);
    const QString dragPointer =
        platform::locateProgramFile(*m_services.process, *m_services.fileSystem, QStringLiteral("drag.ico"));
    m_fileList->setProgramFolder(QFileInfo(dragPointer).path());
    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    ListView1 = new platform::ListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(twipsRect(120, 120, 7095, 2295));
    ListView1->setFont(arial(9));
    ListView1->setToolTip(QStringLiteral("Drag and drop files here. Double-click item to remove it. "
                                         "Move bar to right and out of window to reveal full names."));

    Option1 = new QRadioButton(QStringLiteral("Remove Duplicate Lines"), this);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->setGeometry(twipsRect(120, 2460, 2415, 255));
    Option2 = new QRadioButton(QStringLiteral("Remove Duplicate Words"), this);
    Option2->setObjectName(QStringLiteral("Option2"));
    Option2->setGeometry(twipsRect(2640, 2460, 2535, 255));
    for (QRadioButton* option : {Option1, Option2}) {
        option->setFont(arial(9));
        whiten(*option);
    }
    Option1->setChecked(true);

    auto makeCommand = [this](const char* name, const QString& caption, const QRect& geometry, const QIcon& icon) {
        auto* button = new platform::PushButtonCheckBox(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setText(caption);
        button->setGeometry(geometry);
        button->setFont(arial(11.25));
        button->setIcon(icon);
        button->setIconSize(QSize(32, 32));
        button->setMouseTracking(true);
        button->installEventFilter(this);
        whiten(*button);
        return button;
    };
    Check1 = makeCommand("Check1", QStringLiteral("Add Word File(s)"), twipsRect(120, 2760, 2295, 1095),
                         QIcon(QStringLiteral(":/pictures/word-document.png")));
    Check4 = makeCommand("Check4", QStringLiteral(" Add All Word Files In Folder"), twipsRect(2520, 2760, 2295, 1095),
                         QIcon(QStringLiteral(":/pictures/folder.png")));
    Check2 = makeCommand("Check2", QStringLiteral("Remove Duplicates Except First"), twipsRect(4920, 2760, 2295, 1095),
                         QIcon(QStringLiteral(":/pictures/pencil.png")));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(twipsRect(120, 3960, 7095, 345));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->reset();

    // Only the caption shows on this one: its picture is the blank icon.
    Check3 = makeCommand("Check3", QStringLiteral("Better Method - Finding Duplicates in Excel"),
                         twipsRect(120, 4440, 7095, 375), QIcon());

    // Lies wholly left of the client area: never seen, it holds the focus when the window opens.
    Command1 = new QPushButton(QStringLiteral("Command1"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twipsRect(-720, 2640, 615, 495));
    Command1->setAutoDefault(false);

    // Tab order follows the tab indexes: Command1, Check1, Check2, ListView1, Check4, Option1,
    // Option2, ProgressBar1, Check3.
    QWidget::setTabOrder(Command1, Check1);
    QWidget::setTabOrder(Check1, Check2);
    QWidget::setTabOrder(Check2, ListView1);
    QWidget::setTabOrder(ListView1, Check4);
    QWidget::setTabOrder(Check4, Option1);
    QWidget::setTabOrder(Option1, Option2);
    QWidget::setTabOrder(Option2, ProgressBar1);
    QWidget::setTabOrder(ProgressBar1, Check3);
    Command1->setFocus();

    connect(Check1, &QAbstractButton::clicked, this, &Form1::Check1_Click);
    connect(Check2, &QAbstractButton::clicked, this, &Form1::Check2_Click);
    connect(Check3, &QAbstractButton::clicked, this, &Form1::Check3_Click);
    connect(Check4, &QAbstractButton::clicked, this, &Form1::Check4_Click);
}

void Form1::Form_Load()
{
    CenterForm(*this, *m_services.screen);

    const QString handPath =
        platform::locateProgramFile(*m_services.process, *m_services.fileSystem, QStringLiteral("HAND-M.CUR"));
    if (FileExists(handPath, *m_services.fileSystem)) {
        // A file that is there but is no pointer image leaves the window without a custom image.
        m_mouseIcon = platform::loadPointerImage(handPath);
    }

    VisitHomePage(*m_services.random, *m_services.shell);
    setWindowTitle(QStringLiteral("Quillsift"));
    setUpColumns();
    platform::setProgressBarBackColor(*ProgressBar1, WhiteBgr);
}

void Form1::setUpColumns()
{
    ListView1->addColumn(QStringLiteral("Word File(s)"));
    ListView1->addColumn(QString());
    ListView1->setColumnWidthTwips(1, 6000);
    ListView1->setColumnWidthTwips(2, 5000);
    ListView1->removeColumn(2);
}

file_list::FileList& Form1::fileList()
{
    return *m_fileList;
}

QWidget* Form1::owner()
{
    return this;
}

int Form1::entryCount() const
{
    return m_fileList->count();
}

QString Form1::entryText(int index) const
{
    return m_fileList->text(index);
}

bool Form1::lineMode() const
{
    return Option1->isChecked();
}

int Form1::mousePointer() const
{
    return m_mousePointer;
}

void Form1::setMousePointer(int kind)
{
    m_mousePointer = kind;
    setCursor(platform::cursorForKind(kind, m_mouseIcon));
}

bool Form1::busy() const
{
    return m_busy;
}

void Form1::setBusy(bool busy)
{
    m_busy = busy;
}

void Form1::inform(const QString& text)
{
    m_services.messageBox->show(this, text, platform::MsgBoxButtons::Ok);
}

bool Form1::confirm(const QString& question)
{
    return m_services.messageBox->show(this, question, platform::MsgBoxButtons::YesNo) == platform::MsgBoxAnswer::Yes;
}

void Form1::yield()
{
    m_services.process->yield();
}

bool Form1::takePress(platform::PushButtonCheckBox& button)
{
    if (button.value() != 1) {
        return false;
    }
    button.setValue(0);
    return true;
}

void Form1::Check1_Click()
{
    if (!takePress(*Check1) || m_busy) {
        return;
    }
    file_list::addThroughOpenDialog({this, *m_fileList, *this, m_services});
}

void Form1::Check2_Click()
{
    if (!takePress(*Check2) || m_busy) {
        return;
    }
    engine::runDuplicateRemoval(*this, *m_host.provider, m_host.applicationName);
}

void Form1::Check3_Click()
{
    if (!takePress(*Check3)) {
        return;
    }
    m_services.shell->openAddress(companionPageAddress());
}

void Form1::Check4_Click()
{
    if (!takePress(*Check4) || m_busy) {
        return;
    }
    file_list::addFolderFiles({this, *m_fileList, *this, m_services});
}

void Form1::hoverOn()
{
    if (m_mousePointer != platform::pointer::Hourglass) {
        setMousePointer(platform::pointer::Custom);
    }
}

void Form1::resetWindowPointer()
{
    if (m_mousePointer != platform::pointer::Hourglass) {
        setMousePointer(platform::pointer::Default);
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove &&
        (watched == Check1 || watched == Check2 || watched == Check3 || watched == Check4)) {
        hoverOn();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    // Moves that the controls pass on arrive here too; only the bare surface resets the pointer.
    if (!childAt(event->position().toPoint())) {
        resetWindowPointer();
    }
    QWidget::mouseMoveEvent(event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    event->accept();
    // Like Word's, the host's window that a finished run showed stays until the user closes it;
    // otherwise, and always during a run, closing ends the program at once.
    if (!m_busy && m_host.showsCopies()) {
        return;
    }
    m_services.process->exitNow(0);
}

} // namespace quillsift::main_window
