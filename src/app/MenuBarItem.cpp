#include "app/MenuBarItem.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QSystemTrayIcon>

#include "app/DisplayPlatform.h"
#include "app/LaunchLogInUtilities.h"
#include "app/MainThreadPoster.h"
#include "app/StatusImages.h"
#include "app/TouchDisplayMenus.h"
#include "logging/Logger.h"
#include "platform/BundleInfo.h"
#include "settings/DataController.h"

namespace touchlane {

namespace {

std::shared_ptr<MenuBarItem> sharedItem;

// A tray menu has no window of its own to give its actions' shortcuts effect, so
// the menu answers its items' keys itself while it is open.
class MenuKeyFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* menu = qobject_cast<QMenu*>(watched);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!menu || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
        for (QAction* action : menu->actions()) {
            if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut()[0].key() == key->key()) {
                menu->hide();
                action->trigger();
                return true;
            }
        }
        return false;
    }
};

}  // namespace

std::shared_ptr<MenuBarItem> MenuBarItem::load_Manual() { return load_Manual(Options()); }

std::shared_ptr<MenuBarItem> MenuBarItem::load_Manual(Options options) {
    std::shared_ptr<MenuBarItem> item(new MenuBarItem(std::move(options)));
    sharedItem = item;
    item->setUp();
    return item;
}

std::shared_ptr<MenuBarItem> MenuBarItem::shared() { return sharedItem; }

void MenuBarItem::unload() { sharedItem.reset(); }

MenuBarItem::MenuBarItem(Options options)
    : options_(std::move(options)), mainThread_(std::make_shared<MainThreadPoster>()) {
    if (!options_.terminate) options_.terminate = [] { QCoreApplication::quit(); };
}

MenuBarItem::~MenuBarItem() {
    mainThread_->close();
    // The tray item refers to the menu; it goes first.
    statusItem_.reset();
    touchDisplayMenus_.reset();
    menu_.reset();
}

std::string MenuBarItem::launchAtLoginTitle(bool launchAtStartup) {
    return launchAtStartup ? "Disable automatic startup" : "Enable automatic startup";
}

std::string MenuBarItem::versionTitle(const std::string& shortVersion, const std::string& buildNumber) {
    const std::string title = "Version: V";
    if (shortVersion.empty() || buildNumber.empty()) return title;
    return title + shortVersion + "." + buildNumber;
}

void MenuBarItem::setUp() {
    statusItem_ = std::make_unique<QSystemTrayIcon>();
    statusItem_->setToolTip(QString::fromStdString(BundleInfo::name()));
    QObject::connect(statusItem_.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         statusBarButtonClicked();
                         // A click on the item shows its menu, as a right click does.
                         if (reason == QSystemTrayIcon::Trigger && menu_ && !menu_->isVisible()) {
                             menu_->popup(QCursor::pos());
                         }
                     });
    buildMenu();
    statusItem_->setContextMenu(menu_.get());
    showStatusImage();
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        Logger::shared().log("MenuBarItem No system tray is available; the item shows once a tray starts");
    }
    // Without a display no tray can ever start; showing would only make Qt complain.
    if (QGuiApplication::platformName() != DisplayPlatform::kOffscreenPlatform) statusItem_->show();
    registerConnectionObserver();
    registerTouchscreenObserver();
}

void MenuBarItem::buildMenu() {
    menu_ = std::make_unique<QMenu>();
    QObject::connect(menu_.get(), &QMenu::aboutToShow, [this] { menuNeedsUpdate(); });
    menu_->installEventFilter(new MenuKeyFilter(menu_.get()));

    QAction* startup = menu_->addAction(QString::fromStdString(launchAtLoginTitle(LaunchLogInUtilities::isLaunchAtStartup())));
    startup->setShortcut(QKeySequence(Qt::Key_A));
    QObject::connect(startup, &QAction::triggered, [this] { enableAutomaticStartup(); });
    enableAutomaticStartupMenuItem_ = startup;

    touchDisplayMenus_ = std::make_unique<TouchDisplayMenus>(menu_.get());

    QAction* version =
        menu_->addAction(QString::fromStdString(versionTitle(BundleInfo::shortVersion(), BundleInfo::buildNumber())));
    version->setEnabled(false);

    QAction* quit = menu_->addAction(kQuitTitle);
    quit->setShortcut(QKeySequence(Qt::Key_Q));
    QObject::connect(quit, &QAction::triggered, [this] { quitApp(); });
}

void MenuBarItem::showStatusImage() {
    // A served touchscreen is a connected touch device as much as the frame is.
    statusImageName_ = StatusImages::nameFor(usbConnected_ || !servedTouchscreens_.empty());
    statusItem_->setIcon(StatusImages::image(statusImageName_));
}

void MenuBarItem::registerConnectionObserver() {
    std::weak_ptr<MenuBarItem> weakItem = weak_from_this();
    DataController::dataController()->changedWithKey(
        DataKeyConstants::usbConnectionStatus(),
        [weakItem, poster = mainThread_](const std::optional<PropertyListValue>& newValue, const std::optional<PropertyListValue>&) {
            // Runs on the settings queue: only the main thread may touch the item.
            const auto value = newValue ? newValue->integerValue() : std::nullopt;
            if (weakItem.expired() || !value) return true;
            const bool connected = *value == 1;
            poster->post([weakItem, connected] {
                if (auto item = weakItem.lock()) item->applyConnectionState(connected);
            });
            return true;
        });
}

void MenuBarItem::registerTouchscreenObserver() {
    std::weak_ptr<MenuBarItem> weakItem = weak_from_this();
    DataController::dataController()->changedWithKey(
        DataKeyConstants::touchscreensInService(),
        [weakItem, poster = mainThread_](const std::optional<PropertyListValue>& newValue,
                                         const std::optional<PropertyListValue>&) {
            if (weakItem.expired()) return true;
            std::vector<std::string> names;
            if (const PropertyListArray* list = newValue ? newValue->arrayValue() : nullptr) {
                for (const auto& item : *list)
                    if (const std::string* name = item.stringValue()) names.push_back(*name);
            }
            poster->post([weakItem, names] {
                if (auto item = weakItem.lock()) item->applyServedTouchscreens(names);
            });
            return true;
        });
}

void MenuBarItem::applyServedTouchscreens(std::vector<std::string> names) {
    servedTouchscreens_ = std::move(names);
    std::string joined;
    for (const auto& name : servedTouchscreens_) joined += (joined.empty() ? "" : ", ") + name;
    const std::string tip = joined.empty() ? BundleInfo::name() : BundleInfo::name() + ": touchscreen " + joined;
    statusItem_->setToolTip(QString::fromStdString(tip));
    // The line exists only while a touchscreen is served, above the other items.
    if (joined.empty()) {
        delete touchscreenMenuItem_.data();
    } else {
        if (!touchscreenMenuItem_) {
            touchscreenMenuItem_ = new QAction(menu_.get());
            touchscreenMenuItem_->setEnabled(false);
            menu_->insertAction(menu_->actions().value(0), touchscreenMenuItem_);
        }
        touchscreenMenuItem_->setText(QString::fromStdString("Touchscreen: " + joined));
    }
    showStatusImage();
}

void MenuBarItem::applyConnectionState(bool connected) {
    usbConnected_ = connected;
    showStatusImage();
}

void MenuBarItem::menuNeedsUpdate() {
    if (!enableAutomaticStartupMenuItem_) return;
    enableAutomaticStartupMenuItem_->setText(
        QString::fromStdString(launchAtLoginTitle(LaunchLogInUtilities::isLaunchAtStartup())));
}

void MenuBarItem::enableAutomaticStartup() {
    LaunchLogInUtilities::toggleLaunchAtStartup();
    menuNeedsUpdate();
}

void MenuBarItem::statusBarButtonClicked() { Logger::shared().log("MenuBarItem StatusBarButtonClicked"); }

void MenuBarItem::quitApp() {
    Logger::shared().log("MenuBarItem QuitApp");
    options_.terminate();
}

}  // namespace touchlane
