#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QByteArray>
#include <csignal>
#include <stdexcept>
#include <string>

#include "db/RowStore.h"

namespace {

// Blocks of a few kilobytes, at most four of them in memory: a few thousand rows then
// go through the file the way millions do with the real sizes.
class SmallBlocks {
  public:
    SmallBlocks() : before_(RowStore::SetLimits({4096, 4 * 4096})) {}
    ~SmallBlocks() { RowStore::SetLimits(before_); }

  private:
    RowStore::Limits before_;
};

std::string text(int i) {
    return "value " + std::to_string(i) + std::string(static_cast<size_t>(i % 37), '.');
}

// Row i into a store or a batch: its number, and a text or NULL.
template <class Rows>
void addRow(Rows& rows, int i) {
    rows.BeginRow();
    rows.AddValue(std::to_string(i));
    if (i % 3 == 0)
        rows.AddNull();
    else
        rows.AddValue(text(i));
    rows.EndRow();
}

void expectRow(const RowStore& rows, int row, int i) {
    ASSERT_EQ(*rows.Value(row, 0), std::to_string(i)) << "row " << row;
    if (i % 3 == 0)
        EXPECT_FALSE(rows.Value(row, 1).has_value()) << "row " << row;
    else
        EXPECT_EQ(*rows.Value(row, 1), text(i)) << "row " << row;
}

TEST(RowStore, KeepsNullsEmptiesAndLargeValuesApartAndEditsInPlace) {
    RowStore rows(3);
    const std::string big(600000, 'b');
    for (int i = 0; i < 3000; ++i) {
        rows.BeginRow();
        rows.AddValue(std::to_string(i));
        if (i % 2)
            rows.AddNull();
        else
            rows.AddValue("", 0);
        rows.AddValue(i == 1500 ? std::string_view(big) : std::string_view("x"));
        rows.EndRow();
    }
    EXPECT_EQ(rows.Count(), 3000);
    EXPECT_EQ(*rows.Value(2999, 0), "2999");
    EXPECT_FALSE(rows.Value(1, 1).has_value());
    EXPECT_EQ(rows.Value(2, 1)->size(), 0u);
    EXPECT_EQ(rows.Value(1500, 2)->size(), big.size());
    EXPECT_EQ(*rows.Value(1501, 2), "x");

    rows.BeginRow();
    rows.AddValue("new");
    rows.AddNull();
    rows.AddValue("z");
    rows.EndRow(1);
    EXPECT_EQ(*rows.Value(1, 0), "new");
    EXPECT_EQ(*rows.Value(2, 0), "1");
    rows.Remove(1);
    EXPECT_EQ(*rows.Value(1, 0), "1");
    rows.BeginRow();
    rows.AddNull();
    rows.AddNull();
    rows.AddNull();
    rows.EndRowReplacing(0);
    EXPECT_FALSE(rows.Value(0, 0).has_value());
    // Compact: small rows share blocks (well under the size of one block per row).
    EXPECT_LT(rows.BytesReserved(), size_t(4) << 20);
}

// The columns of a row read in any order, alternating between rows that sit in
// different blocks at the same slot, and a row evicted in between.
TEST(RowStore, ColumnsReadInAnyOrderAcrossRowsAndBlocks) {
    SmallBlocks small;
    RowStore rows(4);
    const int n = 3000;
    for (int i = 0; i < n; ++i) {
        rows.BeginRow();
        rows.AddValue(std::to_string(i));
        if (i % 5 == 0)
            rows.AddNull();
        else
            rows.AddValue(text(i));
        rows.AddValue("", 0);
        rows.AddValue("c" + std::to_string(i));
        rows.EndRow();
    }
    ASSERT_GT(rows.BytesSpilled(), 0u);
    auto expectValue = [&](int row, int col) {
        const auto v = rows.Value(row, col);
        switch (col) {
            case 0:
                EXPECT_EQ(*v, std::to_string(row)) << row;
                break;
            case 1:
                if (row % 5 == 0)
                    EXPECT_FALSE(v.has_value()) << row;
                else
                    EXPECT_EQ(*v, text(row)) << row;
                break;
            case 2:
                ASSERT_TRUE(v.has_value()) << row;
                EXPECT_TRUE(v->empty()) << row;
                break;
            default:
                EXPECT_EQ(*v, "c" + std::to_string(row)) << row;
        }
    };
    for (int k = 0; k < 400; ++k) {
        const int a = (k * 7919) % n, b = (k * 104729 + 11) % n;
        for (int col = 3; col >= 0; --col) {
            expectValue(a, col);
            expectValue(b, col);
        }
        expectValue(n - 1 - a, 1);
        expectValue(a, 3);
        expectValue((a + 1) % n, 3);
        expectValue(a, 0);
    }
    EXPECT_THROW(rows.Value(0, 4), std::out_of_range);
    EXPECT_THROW(rows.Value(0, -1), std::out_of_range);
}

TEST(RowStore, MemoryStaysBoundedAndEveryRowComesBackFromTheFile) {
    SmallBlocks small;
    RowStore rows(2);
    const int n = 20000;
    for (int i = 0; i < n; ++i) addRow(rows, i);
    EXPECT_GT(rows.BytesSpilled(), size_t(300000));
    EXPECT_LE(rows.BytesReserved(), size_t(4 * 4096));
    // Forwards, backwards and jumping about: the rows are the ones written.
    for (int r = 0; r < n; r += 7) expectRow(rows, r, r);
    for (int r = n - 1; r >= 0; r -= 13) expectRow(rows, r, r);
    for (int k = 0; k < 500; ++k) {
        const int r = (k * 7919) % n;
        expectRow(rows, r, r);
    }
    EXPECT_LE(rows.BytesReserved(), size_t(4 * 4096));
    // The values of one row stay valid together while reading them.
    const auto id = rows.Value(5, 0);
    const auto name = rows.Value(5, 1);
    EXPECT_EQ(*id, "5");
    EXPECT_EQ(*name, text(5));
}

TEST(RowStore, EditsBetweenSpilledRowsKeepTheOrder) {
    SmallBlocks small;
    RowStore rows(2);
    std::vector<int> expected;
    for (int i = 0; i < 5000; ++i) {
        addRow(rows, i);
        expected.push_back(i);
    }
    // Inserted, replaced and removed rows land in the last block; their neighbours stay
    // where they were in the file.
    for (int k = 0; k < 40; ++k) {
        const int at = (k * 611) % static_cast<int>(expected.size());
        const int value = 100000 + k;
        switch (k % 3) {
            case 0:
                rows.BeginRow();
                rows.AddValue(std::to_string(value));
                rows.AddValue(text(value));
                rows.EndRow(at);
                expected.insert(expected.begin() + at, value);
                break;
            case 1:
                rows.BeginRow();
                rows.AddValue(std::to_string(value));
                rows.AddValue(text(value));
                rows.EndRowReplacing(at);
                expected[static_cast<size_t>(at)] = value;
                break;
            default:
                rows.Remove(at);
                expected.erase(expected.begin() + at);
        }
    }
    ASSERT_EQ(rows.Count(), static_cast<int>(expected.size()));
    for (int r = 0; r < rows.Count(); ++r) expectRow(rows, r, expected[static_cast<size_t>(r)]);
    // A row larger than a block has one of its own, which goes to the file too.
    const std::string big(3 * 4096, 'L');
    rows.BeginRow();
    rows.AddValue("big");
    rows.AddValue(big);
    rows.EndRow(0);
    for (int i = 0; i < 2000; ++i) addRow(rows, i);
    EXPECT_EQ(*rows.Value(0, 1), big);
    expectRow(rows, 1, expected[0]);
}

// The temporary folder missing, or the disk full part-way through a block: the blocks
// that could not go to the file stay in memory, and every row comes back as written,
// those spilled before the failure too.
class FileSizeLimit {
  public:
    // Writes past `bytes` fail with EFBIG instead of stopping the process.
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &before_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = before_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, handler_);
    }

  private:
    rlimit before_{};
    void (*handler_)(int) = nullptr;
};

TEST(RowStore, ASpillFileThatFailsLosesNoRow) {
    SmallBlocks small;
    const int n = 6000;
    {
        const bool wasSet = qEnvironmentVariableIsSet("TMPDIR");
        const QByteArray tmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", "/nonexistent/zorvantic-tmp");
        RowStore rows(2);
        for (int i = 0; i < n; ++i) addRow(rows, i);
        if (wasSet)
            qputenv("TMPDIR", tmp);
        else
            qunsetenv("TMPDIR");
        EXPECT_EQ(rows.BytesSpilled(), 0u);
        for (int r = 0; r < n; ++r) expectRow(rows, r, r);
    }
    // Full after ten blocks and a part of the eleventh.
    for (const rlim_t room : {rlim_t(0), rlim_t(100), rlim_t(10 * 4096 + 1000)}) {
        SCOPED_TRACE(room);
        RowStore rows(2);
        {
            FileSizeLimit full(room);
            for (int i = 0; i < n; ++i) addRow(rows, i);
            for (int r = n - 1; r >= 0; r -= 3) expectRow(rows, r, r);
        }
        EXPECT_LE(rows.BytesSpilled(), size_t(room));
        if (room > 4096) {
            EXPECT_GT(rows.BytesSpilled(), 0u) << "nothing went to the file before it was full";
        }
        for (int r = 0; r < n; ++r) expectRow(rows, r, r);
        // Rows edited afterwards are kept as well.
        rows.BeginRow();
        rows.AddValue("edited");
        rows.AddNull();
        rows.EndRowReplacing(7);
        EXPECT_EQ(*rows.Value(7, 0), "edited");
        expectRow(rows, 8, 8);
    }
}

}  // namespace

// Rows built apart and taken in small pieces, the way a reader asks for them, by a
// store that spills, by a second store, and by one emptied between takes; rows edited
// in the store afterwards go where they belong and the batch's rows stay unchanged.
TEST(RowStore, BatchRowsTakenInPiecesByStoresThatSpillAndEmpty) {
    SmallBlocks small;
    RowBatch batch;
    const int n = 6000;
    for (int i = 0; i < n; ++i) addRow(batch, i);
    batch.Finish();
    ASSERT_EQ(batch.Count(), n);

    RowStore rows(2);
    rows.BeginRow();
    rows.AddValue("-1");
    rows.AddNull();
    rows.EndRow();
    int taken = 0;
    for (int piece = 1; taken < 4000; piece = piece % 97 + 13)
        taken += rows.Take(batch, std::min(piece, 4000 - taken));
    EXPECT_EQ(rows.Count(), 4001);
    EXPECT_EQ(batch.Left(), n - 4000);
    EXPECT_GT(rows.BytesSpilled(), 0u);
    EXPECT_LE(rows.BytesReserved(), size_t(8 * 4096));

    // The rest go to another store, then one that is emptied between its takes.
    RowStore other(2);
    EXPECT_EQ(other.Take(batch, 1000), 1000);
    RowStore emptied(2);
    EXPECT_EQ(emptied.Take(batch, 500), 500);
    emptied.Reset(2);
    EXPECT_EQ(emptied.Take(batch, 10000), 500);
    EXPECT_EQ(batch.Left(), 0);
    EXPECT_EQ(rows.Take(batch, 10), 0);

    EXPECT_EQ(*rows.Value(0, 0), "-1");
    for (int r = 1; r < rows.Count(); r += 3) expectRow(rows, r, r - 1);
    for (int r = rows.Count() - 1; r > 0; r -= 7) expectRow(rows, r, r - 1);
    for (int r = 0; r < other.Count(); ++r) expectRow(other, r, 4000 + r);
    ASSERT_EQ(emptied.Count(), 500);
    for (int r = 0; r < emptied.Count(); ++r) expectRow(emptied, r, 5500 + r);

    // Edits in the store: the new row is the store's own, the batch's rows around it stay.
    rows.BeginRow();
    rows.AddValue("new");
    rows.AddNull();
    rows.EndRow(2);
    expectRow(rows, 10, 8);
    rows.Remove(10);
    expectRow(rows, 10, 9);  // the row read last has moved back
    EXPECT_EQ(*rows.Value(2, 0), "new");
    expectRow(rows, 3, 1);
    expectRow(rows, rows.Count() - 1, 3999);

    // A row removed from the end of a piece stays removed when the next piece follows.
    RowBatch more;
    for (int i = 0; i < 200; ++i) addRow(more, 10000 + i);
    EXPECT_EQ(rows.Take(more, 100), 100);
    rows.Remove(rows.Count() - 1);
    EXPECT_EQ(rows.Take(more, 1), 1);
    expectRow(rows, rows.Count() - 2, 10098);
    expectRow(rows, rows.Count() - 1, 10100);
}

// A row larger than a quarter block gets a part of its own in a batch too, and a batch
// with room left over lets go of it when finished.
TEST(RowStore, BatchKeepsLargeRowsApartAndFinishesSmall) {
    // Small blocks, all of them kept in memory.
    const RowStore::Limits before = RowStore::SetLimits({4096, size_t(1) << 20});
    RowBatch batch;
    const std::string big(3 * 4096, 'L');
    addRow(batch, 1);
    batch.BeginRow();
    batch.AddValue("big");
    batch.AddValue(big);
    batch.EndRow();
    addRow(batch, 2);
    batch.Finish();
    RowStore rows(2);
    EXPECT_EQ(rows.Take(batch, 3), 3);
    expectRow(rows, 0, 1);
    EXPECT_EQ(rows.Value(1, 1)->size(), big.size());
    expectRow(rows, 2, 2);
    EXPECT_EQ(rows.BytesSpilled(), 0u);
    EXPECT_LT(rows.BytesReserved(), big.size() + 4096 + 100);
    RowStore::SetLimits(before);
}
