#pragma once

#include <QAction>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;
class QObject;
class QSystemTrayIcon;

namespace touchlane {

class MainThreadPoster;
class TouchDisplayMenus;

// The agent's only user interface: a tray item whose image shows whether a touch
// frame is connected, with a menu that toggles launch at login, shows the version
// and quits. It learns the connection state from the "usbConnectionStatus"
// setting. Everything here runs on the main (Qt) thread.
class MenuBarItem : public std::enable_shared_from_this<MenuBarItem> {
public:
    struct Options {
        // Ends the application; the Qt application's quit unless a test says otherwise.
        std::function<void()> terminate;
    };

    // Creates the item, keeps it as the shared one (replacing any earlier) and sets it up.
    static std::shared_ptr<MenuBarItem> load_Manual();
    static std::shared_ptr<MenuBarItem> load_Manual(Options options);
    static std::shared_ptr<MenuBarItem> shared();
    // Lets go of the shared item; the Qt objects must go before the application does.
    static void unload();

    ~MenuBarItem();
    MenuBarItem(const MenuBarItem&) = delete;
    MenuBarItem& operator=(const MenuBarItem&) = delete;

    // Before the menu opens: the launch-at-login title follows the system again.
    void menuNeedsUpdate();
    // Menu action: toggles launch at login; leaves the stored settings alone.
    void enableAutomaticStartup();
    // The tray item was clicked.
    void statusBarButtonClicked();
    // Menu action: ends the program.
    void quitApp();

    bool usbConnected() const { return usbConnected_; }
    const std::vector<std::string>& servedTouchscreens() const { return servedTouchscreens_; }
    const std::string& statusImageName() const { return statusImageName_; }
    QSystemTrayIcon* statusItem() const { return statusItem_.get(); }
    QMenu* menu() const { return menu_.get(); }
    QAction* enableAutomaticStartupMenuItem() const { return enableAutomaticStartupMenuItem_; }
    TouchDisplayMenus* touchDisplayMenus() const { return touchDisplayMenus_.get(); }

    static std::string launchAtLoginTitle(bool launchAtStartup);
    // "Version: V" followed by "<short version>.<build>", or alone when either is missing.
    static std::string versionTitle(const std::string& shortVersion, const std::string& buildNumber);
    static constexpr const char* kQuitTitle = "Exit the app";

private:
    explicit MenuBarItem(Options options);
    void setUp();
    void buildMenu();
    void showStatusImage();
    void registerConnectionObserver();
    void applyConnectionState(bool connected);
    void registerTouchscreenObserver();
    // The kernel touchscreens served: a menu line and the tooltip name them.
    void applyServedTouchscreens(std::vector<std::string> names);

    Options options_;
    // Shared with the connection observer, which may still run after the item is gone.
    std::shared_ptr<MainThreadPoster> mainThread_;
    std::unique_ptr<QSystemTrayIcon> statusItem_;
    std::unique_ptr<QMenu> menu_;
    std::unique_ptr<TouchDisplayMenus> touchDisplayMenus_;
    bool usbConnected_ = false;
    std::vector<std::string> servedTouchscreens_;
    QPointer<QAction> touchscreenMenuItem_;
    QPointer<QAction> enableAutomaticStartupMenuItem_;
    std::string statusImageName_;
};

}  // namespace touchlane
