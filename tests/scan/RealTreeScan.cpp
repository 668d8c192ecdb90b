#include "scan/RealTreeScan.h"

#include "fakes/FakeScanHost.h"
#include "scan/EmptyFolderScan.h"
#include "platform/FileSystem.h"
#include "platform/MemoryResultList.h"

#include <gtest/gtest.h>

#include <algorithm>

std::vector<std::string> ScanRows(FileSystem& fileSystem, const std::string& root,
                                  int readOnlyOption, ReadAheadSettings settings) {
    MemoryResultList list;
    FakeScanHost host;
    host.readOnlyOptionValue = readOnlyOption;
    EmptyFolderScan(fileSystem, list, host, root, std::move(settings)).ScanFolder(root);
    std::vector<std::string> rows;
    for (const MemoryResultList::Row& row : list.Rows()) {
        std::string path = row.subItem1;
        std::replace(path.begin(), path.end(), fileSystem.PathSeparator(), '/');
        rows.push_back(row.text + " " + path);
    }
    return rows;
}

std::vector<std::string> PathsOnly(std::vector<std::string> rows) {
    for (std::size_t index = 0; index < rows.size(); ++index) {
        std::string number = std::to_string(index) + " ";
        EXPECT_EQ(rows[index].compare(0, number.size(), number), 0) << rows[index];
        rows[index] = rows[index].substr(std::min(number.size(), rows[index].size()));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}
