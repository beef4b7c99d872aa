#include "services/ModuleArchivos.h"

#include "platform/EventPump.h"
#include "platform/WinFs.h"
#include "platform/WinPattern.h"

#include <QFile>

#include <algorithm>
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

std::vector<Node> walk(const QString &folder, Progress *progress)
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
        std::vector<WinFs::Entry> entries = WinFs::listHostDir(p.host, progress);
        nodes.push_back(Node{std::move(p.folder), std::move(p.host), p.windowsNames, std::move(entries), {}});
        if (p.parent >= 0)
            nodes[size_t(p.parent)].children.push_back(index);
        const Node &node = nodes.back();
        // Pushed in reverse so the first sub-folder is walked first.
        for (auto it = node.entries.rbegin(); it != node.entries.rend(); ++it) {
            if (it->isDir && !it->isLink) {
                const QByteArray hostChild = node.host.endsWith('/') ? node.host + it->raw : node.host + '/' + it->raw;
                stack.push_back(
                    Pending{node.folder + it->name + u'\\', hostChild, node.windowsNames && it->windowsName, index});
            }
        }
    }
    return nodes;
}

QString withSlash(const QString &folder)
{
    return folder.endsWith(u'\\') ? folder : folder + u'\\';
}

// The listing of every pattern, from one pass over the walked tree: each
// entry is matched against all the patterns at once and noted under each
// pattern it matches, in walk order; then the patterns' lists follow one
// another, as one walk per pattern would give them.
// `Sink`: reserve(n) room for n more entries, add(node, entry) one entry, passedOver(text).
template <typename Sink>
void emitListing(const std::vector<Node> &nodes, const QStringList &patterns, Sink &sink, Progress *progress)
{
    if (nodes.empty() || patterns.isEmpty())
        return;
    struct Hit
    {
        int node;
        int entry;
    };
    std::vector<std::vector<Hit>> byPattern(size_t(std::min<qsizetype>(patterns.size(), 32)));
    WinPattern::MaskSet masks(patterns);
    int sincePump = 0;
    std::vector<int> stack{0};
    while (!stack.empty()) {
        const int at = stack.back();
        stack.pop_back();
        const Node &node = nodes[size_t(at)];
        for (size_t k = 0; k < node.entries.size(); ++k) {
            for (quint32 bits = masks.matches(node.entries[k].name); bits != 0; bits &= bits - 1)
                byPattern[size_t(__builtin_ctz(bits))].push_back(Hit{at, int(k)});
            // One folder may hold a million names.
            if (progress && ++sincePump == 1024) {
                sincePump = 0;
                progress->pump();
            }
        }
        for (auto it = node.children.rbegin(); it != node.children.rend(); ++it)
            stack.push_back(*it);
    }
    qsizetype total = 0;
    for (const std::vector<Hit> &hits : byPattern)
        total += qsizetype(hits.size());
    sink.reserve(total);
    for (const std::vector<Hit> &hits : byPattern) {
        for (const Hit &h : hits) {
            const Node &node = nodes[size_t(h.node)];
            const WinFs::Entry &e = node.entries[size_t(h.entry)];
            if (!node.windowsNames || !e.windowsName) {
                if (!e.isDir)
                    sink.passedOver(node.folder + e.name);
                continue;
            }
            sink.add(node, e);
            if (progress && ++sincePump == 4096) {
                sincePump = 0;
                progress->pump();
            }
        }
    }
    // More than 32 patterns: the rest one walk each.
    for (qsizetype p = 32; p < patterns.size(); ++p)
        emitListing(nodes, QStringList{patterns[p]}, sink, progress);
}

// Grown by half again at least: a list filled folder by folder must not be
// copied once per folder.
template <typename List>
void makeRoom(List &list, qsizetype more)
{
    const qsizetype size = qsizetype(list.size());
    const qsizetype capacity = qsizetype(list.capacity());
    if (capacity < size + more)
        list.reserve(std::max(size + more, capacity + capacity / 2));
}

// Each line with what the walk knew of it.
struct EntrySink
{
    Inventory &inventory;
    void reserve(qsizetype n) { makeRoom(inventory.entries, n); }
    void add(const Node &node, const WinFs::Entry &e)
    {
        inventory.entries.push_back(Inventory::Entry{node.folder + e.name, node.host, e.isDir, e.isLink});
    }
    void passedOver(const QString &text) { inventory.passedOver << text; }
};

// The tree under `folder` walked once, the projects met on the walk
// appended to `projects`.
std::vector<Node> walkFolder(const QString &folder, QStringList &projects, Progress *progress)
{
    QString f = folder;
    QuitarNulos(f);
    std::vector<Node> nodes = walk(withSlash(f), progress);
    const WinPattern::Mask vip(QStringLiteral("*.vip"));
    int seen = 0;
    for (const Node &node : nodes) {
        if (progress && ++seen >= 1024) {
            seen = 0;
            progress->pump();
        }
        if (!node.windowsNames)
            continue;
        for (const WinFs::Entry &e : node.entries) {
            if (!e.isDir && e.windowsName && !e.name.startsWith(u'.') && vip.matches(e.name))
                projects << node.folder + e.name;
            if (progress && ++seen >= 1024) {
                seen = 0;
                progress->pump();
            }
        }
    }
    return nodes;
}

// Letting go of a large tree's entries takes a while too, and one folder may
// hold tens of thousands of them: with `progress`, they go in pieces.
void release(std::vector<Node> &nodes, Progress *progress)
{
    if (!progress)
        return;
    size_t freed = 0;
    const auto pumpEvery = [&](size_t n) {
        freed += n;
        if (freed >= 4096) {
            freed = 0;
            progress->pump();
        }
    };
    for (Node &node : nodes) {
        while (!node.entries.empty()) {
            const size_t n = std::min<size_t>(node.entries.size(), 4096);
            node.entries.resize(node.entries.size() - n);
            pumpEvery(n);
        }
        std::vector<WinFs::Entry>().swap(node.entries);
        pumpEvery(1);
    }
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
    Inventory found;
    BuscarArchivos(folder, QStringList{pattern}, found, nullptr);
    makeRoom(list, qsizetype(found.entries.size()));
    for (Inventory::Entry &e : found.entries)
        list << std::move(e.line);
}

void BuscarArchivos(const QString &folder, const QStringList &patterns, Inventory &into, Progress *progress)
{
    std::vector<Node> nodes = walkFolder(folder, into.projects, progress);
    EntrySink sink{into};
    emitListing(nodes, patterns, sink, progress);
    release(nodes, progress);
}

} // namespace ModuleArchivos
