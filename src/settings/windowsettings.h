#pragma once

#include "fontrecord.h"

#include <QFlags>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include <exception>
#include <functional>
#include <optional>

class QWidget;
class RegistryStore;

// The primary screen as the window settings see it.
struct ScreenFacts
{
    int width = 0;
    int height = 0;
    int pixelsPerInch = 96;
};

// The window settings component: saves and restores a window's placement and
// a list of stored properties in the window's section of the store.
//
// Placement values: "NormPos" is the window's outer frame in its normal state,
// "left,top,right,bottom" with right and bottom exclusive. Qt knows no
// minimized or maximized positions, so "MinMaxPos" is always "-1,-1,-1,-1"
// (none set); on restore it only counts as stored placement data.
//
// Besides restore() and save(), the component restores when
// the window is shown unrestored, saves when a close of the window is granted
// (after the window's own close handler, which sees the close first), and
// saves on destruction unless it saved since it last restored. Errors of these
// saves of its own go to the error report, and the close goes on.
//
// The window owns the component and declares it after everything that the
// property getters use: its destructor still reads them.
class WindowSettings final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowSettings)

public:
    enum PlacementOption
    {
        RememberState = 0x1,
        RememberSize = 0x2,
        RememberPosition = 0x4
    };
    Q_DECLARE_FLAGS(PlacementOptions, PlacementOption)
    using ErrorReport = std::function<void(const std::exception &)>;
    using ScreenProvider = std::function<ScreenFacts()>;

    // `windowName` names the section ("Form1"); `store` must outlive the component.
    WindowSettings(QWidget *window, const QString &windowName, RegistryStore &store,
                   PlacementOptions options, ErrorReport reportError,
                   ScreenProvider screen = primaryScreenFacts);
    ~WindowSettings() override;

    // The primary screen's size and logical density, rounded.
    static ScreenFacts primaryScreenFacts();

    // Stored properties, saved and restored in the order they are added. The
    // setter applies the control's own limits; it runs only when the store
    // holds the value (for a font, the record's key).
    void addInteger(const QString &valueName, std::function<int()> get,
                    std::function<void(int)> set);
    // The setter gets the record once all of its stored members are applied.
    void addFont(const QString &keyName, std::function<FontRecord()> get,
                 std::function<void(const FontRecord &)> set);

    void restore();
    // Throws TavrixError when the store cannot be written; nothing is written then.
    void save();

    bool restored() const { return m_restored; }
    bool saved() const { return m_saved; }
    // True when the last restore placed the window; otherwise it opens by its own rule.
    bool placementApplied() const { return m_placementApplied; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct StoredProperty
    {
        QString name;
        std::function<void(const QString &path, const ScreenFacts &screen)> save;
        std::function<void(const QString &path, const ScreenFacts &screen)> restore;
    };

    QString path(const QString &valueName) const;
    void resolveSection();
    void restorePlacement(const ScreenFacts &screen);
    void restoreShowState(int flags);
    void applyFrame(const QRect &frame);
    void fitPendingFrame(bool resized);
    QRect normalFrame() const;
    int showCmd() const;
    int placementFlags() const;
    void saveReportingErrors() noexcept;

    QPointer<QWidget> m_window;
    QString m_windowName;
    QString m_section = QStringLiteral("%FORM_NAME%\\");
    RegistryStore &m_store;
    PlacementOptions m_options;
    ErrorReport m_reportError;
    ScreenProvider m_screen;
    QList<StoredProperty> m_properties;
    bool m_restored = false;
    bool m_saved = false;
    bool m_placementApplied = false;
    // Outer size restored before the window had a frame; fitted once it has one.
    std::optional<QSize> m_pendingFrameSize;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(WindowSettings::PlacementOptions)
