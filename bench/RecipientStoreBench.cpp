// Appends 1,000,000 recipients, finds 10,000 random addresses and walks the whole file, and
// compares the append with the sqlite3 shell's .import of the same rows as CSV.
//
//   build/bench/RecipientStoreBench [records]
#include "store/RecipientRecord.h"
#include "store/RecipientStore.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tidecast::store;
using Clock = std::chrono::steady_clock;

namespace
{

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

RecipientRecord makeRecord(std::size_t i)
{
    RecipientRecord r;
    const auto n = std::to_string(i);
    r.set(RecipientField::Title, i % 2 ? "Mr" : "Ms");
    r.set(RecipientField::FirstName, "First" + n);
    r.set(RecipientField::LastName, "Last" + n);
    r.set(RecipientField::EmailAddress, "user" + n + "@example" + std::to_string(i % 97) + ".test");
    r.set(RecipientField::Initial, "Q");
    r.set(RecipientField::Address1, n + " High Street");
    r.set(RecipientField::Address2, "Flat " + std::to_string(i % 40));
    r.set(RecipientField::City, "City" + std::to_string(i % 500));
    r.set(RecipientField::State, "State" + std::to_string(i % 50));
    r.set(RecipientField::Zip, std::to_string(10000 + i % 89999));
    r.set(RecipientField::Country, "Country");
    r.set(RecipientField::Company, "Company " + std::to_string(i % 1000));
    r.set(RecipientField::JobTitle, "Engineer");
    r.set(RecipientField::Web, "https://www.example.test/" + n);
    r.set(RecipientField::Telephone, "+44 20 " + n);
    r.set(RecipientField::Fax, "+44 21 " + n);
    r.set(RecipientField::Field1, "one");
    r.set(RecipientField::Field2, "two");
    r.set(RecipientField::Field3, "three");
    r.set(RecipientField::Field4, "four");
    r.dateAdded = "2026-12-06";
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    const std::size_t records = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const auto dir = std::filesystem::temp_directory_path() / ("tidecast-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto group = dir / "Bench.gdb";

    RecipientStore store;
    defineRecipientLayout(store);
    if (store.createFile(group) != 0 || !store.open(group)) {
        std::fprintf(stderr, "cannot create %s\n", group.c_str());
        return 1;
    }
    std::vector<RecipientRecord> rows;
    rows.reserve(records);
    for (std::size_t i = 0; i < records; ++i) {
        rows.push_back(makeRecord(i));
    }

    auto start = Clock::now();
    (void)store.beginTransaction();
    for (const auto& row : rows) {
        (void)store.addNew();
        writeRecipient(store, row);
    }
    (void)store.commitTransaction();
    const double appendSeconds = secondsSince(start);

    std::mt19937 random(42);
    std::uniform_int_distribution<std::size_t> pick(0, records - 1);
    constexpr int kFinds = 10000;
    start = Clock::now();
    int found = 0;
    for (int i = 0; i < kFinds; ++i) {
        (void)store.find("EMailAddress", FindOperator::Equals, rows[pick(random)].emailAddress());
        found += store.noMatch() ? 0 : 1;
    }
    const double findSeconds = secondsSince(start);

    start = Clock::now();
    std::size_t walked = 0;
    (void)store.moveFirst();
    while (!store.atEnd()) {
        ++walked;
        (void)store.moveNext();
    }
    const double walkSeconds = secondsSince(start);
    (void)store.close();

    // The same rows through the sqlite3 shell, into a table of the same shape and index.
    const auto csv = dir / "rows.csv";
    {
        std::ofstream out(csv);
        for (const auto& row : rows) {
            for (const auto& field : row.fields) {
                out << field << ',';
            }
            out << row.dateAdded << '\n';
        }
    }
    std::string schema = "CREATE TABLE records(";
    for (const auto& info : recipientFields()) {
        schema +=
            std::string(info.name) + " TEXT(" + std::to_string(info.size) + ") NOT NULL DEFAULT '' COLLATE NOCASE,";
    }
    schema +=
        "DateAdded DATE NOT NULL DEFAULT '');CREATE INDEX records_address ON records(EmailAddress COLLATE NOCASE);";
    const auto script = dir / "import.sql";
    {
        std::ofstream out(script);
        out << schema << "\n.mode csv\n.import " << csv.string() << " records\n";
    }
    start = Clock::now();
    const std::string command = "sqlite3 " + (dir / "shell.db").string() + " < " + script.string();
    const int rc = std::system(command.c_str());
    const double shellSeconds = secondsSince(start);

    std::printf("records: %zu\n", records);
    std::printf("append: %.2f s (%.0f records/s)\n", appendSeconds, records / appendSeconds);
    std::printf("sqlite3 shell .import: %.2f s (%.0f records/s)%s\n", shellSeconds, records / shellSeconds,
                rc == 0 ? "" : " [sqlite3 failed]");
    std::printf("append speed / shell speed: %.2f (target >= 0.5)\n", shellSeconds / appendSeconds);
    std::printf("find by address: %d of %d found, %.1f us each\n", found, kFinds, findSeconds * 1e6 / kFinds);
    std::printf("walk: %zu records in %.2f s (%.2f us each)\n", walked, walkSeconds, walkSeconds * 1e6 / walked);
    std::filesystem::remove_all(dir);
    return found == kFinds && walked == records && rc == 0 ? 0 : 1;
}
