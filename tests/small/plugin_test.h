// A host with a working folder of its own, for tests that load one of the
// small deliverables by path.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/host.h"
#include "tests/scratch_folder.h"

namespace small_test {

// A fresh folder under the system's temporary folder, removed afterwards.
class TempRoot {
public:
    TempRoot() : path_(suite_test::make_scratch_folder("small").string()) {}
    ~TempRoot() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempRoot(const TempRoot &) = delete;
    TempRoot &operator=(const TempRoot &) = delete;

    const std::string &path() const { return path_; }
    void write(const std::string &relative, const std::string &text) const {
        std::filesystem::path file = std::filesystem::path(path_) / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

private:
    std::string path_;
};

class PluginTest : public ::testing::Test {
protected:
    // An instance made as the host makes one: instantiate, init, tags.
    panelhost::Instance &instance(panelhost::Plugin &p, const std::string &definition) {
        panelhost::Instance *i = host.instantiate(p);
        if (i == nullptr) throw std::runtime_error(p.path() + ": no instance");
        made_.push_back(i);
        i->init();
        EXPECT_TRUE(i->read_definition(panelhost::parse_definition(definition, "test.def")).empty());
        return *i;
    }

    // Every test ends with nothing noticed by the host and nothing leaked.
    void TearDown() override {
        for (panelhost::Instance *i : made_) i->destroy();
        for (auto &p : host.plugins()) p->kill();
        EXPECT_TRUE(host.problems().empty()) << host.problems().front();
        EXPECT_EQ(host.memory().live_count(), 0u);
    }

    TempRoot root;
    panelhost::Host host{panelhost::HostOptions{root.path()}};

private:
    std::vector<panelhost::Instance *> made_;
};

}  // namespace small_test
