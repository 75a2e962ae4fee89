#include "AccessibleMenuItem.h"

#include "DialogBuilder.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QPointer>

namespace {

QMenu* MenuOf(const QAction* pAction)
{
    for (QObject* pObject : pAction->associatedObjects()) {
        if (auto* pMenu = qobject_cast<QMenu*>(pObject))
            return pMenu;
    }
    return nullptr;
}

// An item of a pop-up menu: the text before the tab is its name, the text after it the key.
class CAccessibleMenuItem : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit CAccessibleMenuItem(QAction* pAction) : m_pAction(pAction) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }
    bool isValid() const override { return m_pAction && MenuOf(m_pAction); }
    QObject* object() const override { return m_pAction; }
    QWindow* window() const override
    {
        const QMenu* pMenu = Menu();
        return pMenu ? pMenu->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(Menu()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }

    QString text(QAccessible::Text t) const override
    {
        if (!m_pAction)
            return QString();
        const QString strText = m_pAction->text();
        const qsizetype nTab = strText.indexOf(u'\t');
        if (t == QAccessible::Name)
            return StripMnemonic(strText.left(nTab));
        if (t == QAccessible::Accelerator)
            return nTab < 0 ? QString() : strText.mid(nTab + 1);
        if (t == QAccessible::Description)
            return m_pAction->statusTip();
        return QString();
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override
    {
        const QMenu* pMenu = Menu();
        if (!pMenu)
            return QRect();
        const QRect rc = pMenu->actionGeometry(m_pAction);
        return QRect(pMenu->mapToGlobal(rc.topLeft()), rc.size());
    }
    QAccessible::Role role() const override { return QAccessible::MenuItem; }
    QAccessible::State state() const override
    {
        QAccessible::State s;
        const QMenu* pMenu = Menu();
        if (!pMenu || !pMenu->isVisible())
            s.invisible = true;
        if (pMenu && pMenu->activeAction() == m_pAction)
            s.focused = true;
        if (m_pAction && !m_pAction->isEnabled())
            s.disabled = true;
        if (m_pAction && m_pAction->isCheckable()) {
            s.checkable = true;
            s.checked = m_pAction->isChecked();
        }
        s.focusable = true;
        return s;
    }

    QStringList actionNames() const override
    {
        return m_pAction && m_pAction->isEnabled() ? QStringList(pressAction()) : QStringList();
    }
    void doAction(const QString& strAction) override
    {
        if (m_pAction && m_pAction->isEnabled() && strAction == pressAction())
            m_pAction->trigger();
    }
    QStringList keyBindingsForAction(const QString& strAction) const override
    {
        const QString strKey = text(QAccessible::Accelerator);
        return strAction == pressAction() && !strKey.isEmpty() ? QStringList(strKey) : QStringList();
    }

private:
    QMenu* Menu() const { return m_pAction ? MenuOf(m_pAction) : nullptr; }

    QPointer<QAction> m_pAction;
};

QAccessibleInterface* MenuItemFactory(const QString& strClass, QObject* pObject)
{
    auto* pAction = qobject_cast<QAction*>(pObject);
    if (strClass != u"QAction" || !pAction || !pAction->text().contains(u'\t') || !MenuOf(pAction))
        return nullptr;
    return new CAccessibleMenuItem(pAction);
}

}  // namespace

void InstallMenuItemAccessibility()
{
    static const bool bInstalled = [] {
        QAccessible::installFactory(MenuItemFactory);
        return true;
    }();
    Q_UNUSED(bInstalled);
}
