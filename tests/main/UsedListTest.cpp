#include "main/UsedList.h"

#include <gtest/gtest.h>

#include <QRandomGenerator>

namespace {

// The pairwise loop as the window's routine is written.
int pairwise(QStringList &l, QStringList *removed)
{
    int count = 0;
    const qsizetype n = l.size();
    for (qsizetype i = 0; i <= n - 2; ++i) {
        for (qsizetype j = l.size() - 1; j >= i + 1; --j) {
            if (i < l.size() && l[i] == l[j] && !UsedList::isKept(l[i])) {
                removed->append(l[j]);
                l.removeAt(j);
                ++count;
            }
        }
    }
    return count;
}

} // namespace

TEST(UsedList, RemovesLaterCopiesKeepsHeadersAndDashLines)
{
    QStringList l{"1 --> D:\\a.vip", "D:\\x.wav", "D:\\y.wav", "D:\\x.wav", "1 --> D:\\a.vip", "D:\\y.wav",
                  "----------", "----------"};
    EXPECT_EQ(UsedList::removeDuplicates(l), 2);
    EXPECT_EQ(l, (QStringList{"1 --> D:\\a.vip", "D:\\x.wav", "D:\\y.wav", "1 --> D:\\a.vip", "----------",
                              "----------"}));
}

TEST(UsedList, HashedRemovalEqualsThePairwiseLoop)
{
    QRandomGenerator rng(7);
    for (int round = 0; round < 300; ++round) {
        QStringList l;
        const int n = int(rng.bounded(60));
        for (int i = 0; i < n; ++i) {
            const int k = int(rng.bounded(12));
            l << (k == 0 ? QStringLiteral("%1 --> D:\\p.vip").arg(rng.bounded(3))
                         : k == 1 ? QStringLiteral("----------") : QStringLiteral("D:\\%1.wav").arg(k));
        }
        QStringList a = l, b = l, removedA, removedB;
        const int ca = UsedList::removeDuplicates(a, [&](const QString &s) { removedA << s; });
        const int cb = pairwise(b, &removedB);
        ASSERT_EQ(a, b);
        ASSERT_EQ(ca, cb);
        ASSERT_EQ(removedA, removedB);
    }
}

TEST(UsedList, HeaderLineSpacingAndSummary)
{
    EXPECT_EQ(UsedList::headerLine("12 -->    D:\\P\\T.vip"), "12 --> D:\\P\\T.vip");
    EXPECT_EQ(UsedList::spaced({"1 --> D:\\a.vip", "D:\\x.wav", "2 --> D:\\b.vip"}),
              (QStringList{" ", "1 --> D:\\a.vip", " ", "D:\\x.wav", " ", "2 --> D:\\b.vip", " "}));
    EXPECT_EQ(UsedList::summary(12, 3, 2), "12  archivos en: 3 proyectos, 2 duplicados borrados de la lista; Total: 10");
    EXPECT_EQ(UsedList::summary(0, 0, 0), "0  archivos en: 0 proyectos, 0 duplicados borrados de la lista; Total: 0");
}
