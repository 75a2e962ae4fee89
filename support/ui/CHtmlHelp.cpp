#include "CHtmlHelp.h"

#include "CHelpWindow.h"
#include "support/core/HelpFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngineCore>
#include <QStandardPaths>

CHtmlHelpLoader::CHtmlHelpLoader(const QString& strExeDir, const QString& strCurrentDir)
    : m_strExeDir(strExeDir), m_strCurrentDir(strCurrentDir)
{
}

CHtmlHelpLoader& CHtmlHelpLoader::Instance()
{
    static CHtmlHelpLoader loader;
    return loader;
}

bool CHtmlHelpLoader::Bind(const QString& strFile)
{
    ++m_nBindAttempts;
    const QString strExeDir = m_strExeDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_strExeDir;
    const QString strCurrentDir = m_strCurrentDir.isEmpty() ? QDir::currentPath() : m_strCurrentDir;
    for (const QString& strCandidate : HelpFileCandidates(strFile, strExeDir, strCurrentDir)) {
        // Only an existing file: the help engine would make an empty collection of a missing one.
        if (!QFileInfo(strCandidate).isFile())
            continue;
        const QString strCollection = WritableHelpCollection(
            strCandidate, QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/help"));
        QHelpEngineCore core(strCollection);
        core.setReadOnly(true);
        if (core.setupData() && !core.registeredDocumentations().isEmpty() &&
            !core.fileData(CHelpWindow::TopicUrl(MainHelpTopic())).isEmpty()) {
            m_strCollection = strCollection;
            return true;
        }
    }
    return false;
}

CHelpWindow* CHtmlHelpLoader::HtmlHelp(QWidget* pOwner, const QString& strFile, quint32 nCommand, quintptr nData)
{
    if (m_eBinding == BIND_NOT_TRIED)
        m_eBinding = Bind(strFile) ? BIND_DONE : BIND_FAILED;
    if (m_eBinding == BIND_FAILED)
        return nullptr;

    QString strTopic;
    if (nCommand == HH_HELP_CONTEXT)
        strTopic = HelpTopicForContext(quint32(nData));
    else if (nCommand == HH_DISPLAY_TOPIC)
        strTopic = MainHelpTopic();
    else
        return nullptr;

    if (!m_pWindow) {
        m_pWindow = new CHelpWindow(m_strCollection, pOwner);
        if (!m_pWindow->IsReady()) {
            delete m_pWindow;
            return nullptr;
        }
    }
    m_pWindow->ShowTopic(strTopic);
    m_pWindow->show();
    m_pWindow->raise();
    m_pWindow->activateWindow();
    return m_pWindow;
}

QString WritableHelpCollection(const QString& strCollection, const QString& strCacheDir)
{
    const QFileInfo source(strCollection);
    if (QFileInfo(source.absolutePath()).isWritable())
        return strCollection;
    const QString strCopy = strCacheDir + u'/' + source.fileName();
    const QFileInfo copy(strCopy);
    // A copy older than the installed collection is made again, so that a new version's help shows.
    if (copy.isFile() && copy.lastModified() >= source.lastModified())
        return strCopy;
    if (!QDir().mkpath(strCacheDir) || !CopyHelpCollection(strCollection, strCopy))
        return strCollection;   // the help still shows; only its search cannot keep an index
    return strCopy;
}

bool CopyHelpCollection(const QString& strCollection, const QString& strCopy)
{
    if (QFileInfo::exists(strCopy) && !QFile::remove(strCopy))
        return false;
    QStringList docs;
    {
        QHelpEngineCore source(strCollection);
        source.setReadOnly(true);
        if (!source.setupData())
            return false;
        for (const QString& strNamespace : source.registeredDocumentations())
            docs += source.documentationFileName(strNamespace);
    }
    // A new collection that registers the same documentation files where they are; registering
    // fills the tables that contents, index and pages are read from.
    QHelpEngineCore copy(strCopy);
    copy.setReadOnly(false);
    if (!copy.setupData() || docs.isEmpty())
        return false;
    for (const QString& strDoc : docs) {
        if (!copy.registerDocumentation(strDoc))
            return false;
    }
    return true;
}
