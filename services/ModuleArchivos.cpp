#include "services/ModuleArchivos.h"

#include "platform/WinFs.h"
#include "platform/WinPattern.h"

#include <QFile>

#include <vector>

namespace ModuleArchivos {
namespace {

// One folder of the walk: its Windows path (ending in "\"), its entries in
// listing order and the nodes of its sub-folders in the same order.
struct Node
{
    QString folder;
    QByteArray host;
    bool windowsNames = true; // every folder name down to here can be a Windows name
    std::vector<WinFs::Entry> entries;
    std::vector<int> children;
};

std::vector<Node> walk(const QString &folder)
{
    std::vector<Node> nodes;
    const QString root = WinFs::hostPath(folder);
    if (root.isEmpty())
        return nodes;
    // An explicit stack rather than recursion: a very deep tree must not
    // overflow the call stack. Host paths are carried as bytes: a folder
    // whose name is not UTF-8 is still walked (its files are counted as
    // passed over).
    struct Pending
    {
        QString folder;
        QByteArray host;
        bool windowsNames;
        int parent;
    };
    std::vector<Pending> stack{{folder, QFile::encodeName(root), true, -1}};
    while (!stack.empty()) {
        Pending p = std::move(stack.back());
        stack.pop_back();
        const int index = int(nodes.size());
        nodes.push_back(Node{p.folder, p.host, p.windowsNames, WinFs::listHostDir(p.host), {}});
        if (p.parent >= 0)
            nodes[p.parent].children.push_back(index);
        const std::vector<WinFs::Entry> &entries = nodes[index].entries;
        // Pushed in reverse so the first sub-folder is walked first.
        for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
            if (it->isDir && !it->isLink) {
                const QByteArray hostChild = p.host.endsWith('/') ? p.host + it->raw : p.host + '/' + it->raw;
                stack.push_back(
                    Pending{p.folder + it->name + u'\\', hostChild, p.windowsNames && it->windowsName, index});
            }
        }
    }
    return nodes;
}

void emitListing(const std::vector<Node> &nodes, const WinPattern::Mask &matcher, QStringList &list,
                 QSet<QString> *folderLines, QSet<QString> *linkLines, Extras *extras)
{
    if (nodes.empty())
        return;
    std::vector<int> stack{0};
    while (!stack.empty()) {
        const Node &node = nodes[stack.back()];
        stack.pop_back();
        for (const WinFs::Entry &e : node.entries) {
            if (matcher.matches(e.name)) {
                if (!node.windowsNames || !e.windowsName) {
                    if (extras && !e.isDir)
                        extras->passedOver << node.folder + e.name;
                    continue;
                }
                list << node.folder + e.name;
                if (folderLines && e.isDir)
                    folderLines->insert(list.constLast());
                if (linkLines && e.isLink)
                    linkLines->insert(list.constLast());
            }
        }
        for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
            stack.push_back(*it);
    }
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'\\') ? folder : folder + u'\\';
}

} // namespace

QString QuitarNulos(QString &text)
{
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0)
        text.truncate(nul);
    return text;
}

void BuscarArchivos(const QString &folder, const QString &pattern, QStringList &list)
{
    BuscarArchivos(folder, QStringList{pattern}, list, nullptr, nullptr);
}

void BuscarArchivos(const QString &folder, const QStringList &patterns, QStringList &list,
                    QSet<QString> *folderLines, QSet<QString> *linkLines, Extras *extras)
{
    QString f = folder;
    QuitarNulos(f);
    const std::vector<Node> nodes = walk(withSlash(f));
    if (extras) {
        const WinPattern::Mask vip(QStringLiteral("*.vip"));
        for (const Node &node : nodes) {
            if (!node.windowsNames)
                continue;
            extras->hostFolders.insert(node.folder, node.host);
            for (const WinFs::Entry &e : node.entries) {
                if (!e.isDir && e.windowsName && !e.name.startsWith(u'.') && vip.matches(e.name))
                    extras->projects << node.folder + e.name;
            }
        }
    }
    for (const QString &pattern : patterns)
        emitListing(nodes, WinPattern::Mask(pattern), list, folderLines, linkLines, extras);
}

} // namespace ModuleArchivos
