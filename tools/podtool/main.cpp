// podtool: builds the host's navigation archives from CSV, lists and extracts them.
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include "archive/podlib.h"
#include "tools/navimport/navimport.h"

namespace {

// The tables' names and files come from their one description (podlib's
// table, on the archive layout), so the text cannot fall behind it.
std::string usage() {
    std::string names, csvs, archives;
    for (podlib::Table t : podlib::kAllTables) {
        const auto &info = podlib::table_info(t);
        const bool first = names.empty();
        names.append(first ? "" : "|").append(info.name);
        csvs.append(first ? "" : ", ").append(info.name).append(".csv");
        archives.append(first ? "" : ", ").append(info.archive_file);
    }
    std::string text = "usage:\n";
    text.append("  podtool build <").append(names).append("> <table.csv> <archive.pod>\n");
    text.append("  podtool world <csv-folder> <system-folder>\n");
    text.append("      ").append(csvs).append(" -> ").append(archives).append("\n");
    text.append("  podtool import <system-folder> <file>... [--date YYYY-MM-DD]\n");
    text.append("      X-Plane apt.dat, nav.dat, fix.dat (plain or .gz), OurAirports airports.csv, navaids.csv\n");
    text.append("      -> ").append(archives).append(", world.json\n");
    text.append("  podtool list <archive.pod>\n");
    text.append("  podtool extract <archive.pod> <entry-path> <out-file>\n");
    text.append("  podtool dump <").append(names).append("> <archive.pod>\n");
    text.append("  podtool pack <archive.pod> <entry-path>=<file>...\n");
    text.append("  podtool --help\n");
    return text;
}

podlib::Table table_arg(const char *name) {
    if (auto t = podlib::table_by_name(name)) return *t;
    std::string names;
    const size_t count = std::size(podlib::kAllTables);
    for (size_t i = 0; i < count; ++i) {
        names += i == 0 ? "" : i + 1 == count ? " or " : ", ";
        names += podlib::table_info(podlib::kAllTables[i]).name;
    }
    throw podlib::Error(std::string("unknown table '") + name + "' (" + names + ")");
}

podlib::Entry table_entry(podlib::Table t, const std::string &csv) {
    return {std::string(podlib::table_info(t).entry_path), podlib::encode_table(t, podlib::read_table_csv(t, csv))};
}

// The day as the calendar of this machine has it, in UTC.
magnetic::Date today() {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    return {utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday};
}

// podtool import <system-folder> <file>... [--date YYYY-MM-DD]
void import_world(int argc, char **argv) {
    std::vector<std::string> files;
    navimport::ImportOptions options;
    options.import_date = options.variation_date = today();
    for (int i = 3; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--date") {
            if (i + 1 >= argc) throw podlib::Error("--date needs a date, YYYY-MM-DD");
            const auto date = magnetic::parse_date(argv[++i]);
            if (!date) throw podlib::Error(std::string("--date: '") + argv[i] + "' is not a date (YYYY-MM-DD)");
            options.variation_date = *date;
        } else {
            files.push_back(a);
        }
    }
    const magnetic::Model &model = magnetic::wmm2025();
    if (!model.covers(options.variation_date))
        throw podlib::Error("the magnetic model " + std::string(model.name()) + " covers " +
                            magnetic::date_text(model.first_day()) + " to the day before " +
                            magnetic::date_text(model.end_day()) + ", not " + magnetic::date_text(options.variation_date) +
                            ": give --date within it");
    const navimport::World world = navimport::import_files(files, options);
    navimport::write_world(argv[2], world);
    std::cout << navimport::summary(world) << "written into " << argv[2] << "\n";
}

int run(int argc, char **argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if ((command == "--help" || command == "-h" || command == "help") && argc == 2) {
        std::cout << usage();
    } else if (command == "build" && argc == 5) {
        podlib::write_archive(argv[4], {table_entry(table_arg(argv[2]), argv[3])});
    } else if (command == "world" && argc == 4) {
        // Every table is read before any archive is written.
        const std::string in = argv[2], out = argv[3];
        std::vector<std::pair<std::string, podlib::Entry>> archives;
        for (podlib::Table t : podlib::kAllTables) {
            const auto &info = podlib::table_info(t);
            archives.emplace_back(out + "/" + std::string(info.archive_file),
                                  table_entry(t, in + "/" + std::string(info.name) + ".csv"));
        }
        std::error_code ec;
        if (std::filesystem::exists(out, ec) && !std::filesystem::is_directory(out, ec))
            throw podlib::Error(out + ": is not a folder");
        std::filesystem::create_directories(out, ec);
        if (ec) throw podlib::Error(out + ": cannot create the folder: " + ec.message());
        for (const auto &[file, entry] : archives) podlib::write_archive(file, {entry});
    } else if (command == "import" && argc >= 4) {
        import_world(argc, argv);
    } else if (command == "list" && argc == 3) {
        for (const auto &e : podlib::list_archive(argv[2]))
            std::cout << e.data_offset << '\t' << e.size << '\t' << e.path << '\n';
    } else if (command == "extract" && argc == 5) {
        const std::vector<uint8_t> data = podlib::extract_entry(argv[2], argv[3]);
        std::ofstream out(argv[4], std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char *>(data.data()), std::streamsize(data.size()));
        if (!out) throw podlib::Error(std::string(argv[4]) + ": cannot write");
    } else if (command == "dump" && argc == 4) {
        const podlib::Table t = table_arg(argv[2]);
        const std::string entry(podlib::table_info(t).entry_path);
        podlib::write_table_csv(t, podlib::decode_table(t, podlib::extract_entry(argv[3], entry)), std::cout);
    } else if (command == "pack" && argc >= 4) {
        std::vector<podlib::Entry> entries;
        for (int i = 3; i < argc; ++i) {
            const char *eq = std::strchr(argv[i], '=');
            if (eq == nullptr) throw podlib::Error(std::string("'") + argv[i] + "' is not <entry-path>=<file>");
            entries.push_back({std::string(argv[i], size_t(eq - argv[i])), podlib::read_file(eq + 1)});
        }
        podlib::write_archive(argv[2], entries);
    } else {
        const bool known = command == "build" || command == "world" || command == "import" || command == "list" ||
                           command == "extract" || command == "dump" || command == "pack";
        if (known)
            std::cerr << "podtool: wrong number of arguments for '" << command << "'\n";
        else if (!command.empty())
            std::cerr << "podtool: unknown command '" << command << "'\n";
        std::cerr << usage();
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    try {
        return run(argc, argv);
    } catch (const std::exception &e) {
        std::cerr << "podtool: " << e.what() << '\n';
        return 1;
    }
}
