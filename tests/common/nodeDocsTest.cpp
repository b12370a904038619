// docs/nodes.md against what the plug-ins register: every attribute of every node type, by long
// and short name, has a row in its type's table, and every row names a registered attribute.
#include <gtest/gtest.h>
#include <maya/MFnAttribute.h>
#include <maya/MFnDependencyNode.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "graph/Attribute.h"
#include "plugins/Plugins.h"
#include "graph/Registry.h"
#include "graph/Scene.h"

namespace {

// Attributes as "longName (shortName)", by section: "nodeType (plugIn)", as the docs head them.
using AttributeTable = std::map<std::string, std::set<std::string>>;

std::string entryOf(const std::string& longName, const std::string& shortName) {
    return longName + " (" + shortName + ")";
}

// The cells of a table row "| a | b | ... |".
std::vector<std::string> cellsOf(const std::string& row) {
    std::vector<std::string> cells;
    std::istringstream in(row.substr(row.find('|') + 1));
    for (std::string cell; std::getline(in, cell, '|');) cells.push_back(cell);
    return cells;
}

// The names between backticks in a cell, in order.
std::vector<std::string> quotedNames(const std::string& cell) {
    std::vector<std::string> names;
    for (size_t open = cell.find('`'); open != std::string::npos;) {
        const size_t close = cell.find('`', open + 1);
        if (close == std::string::npos) break;
        names.push_back(cell.substr(open + 1, close - open - 1));
        open = cell.find('`', close + 1);
    }
    return names;
}

// The attribute rows of the docs' tables: under a "## section" heading, a row whose first cell
// quotes long names and whose second quotes as many short names, paired in order. Rows whose
// names do not pair up are listed in `malformed`.
AttributeTable documentedAttributes(const std::string& path, std::vector<std::string>& malformed) {
    AttributeTable table;
    std::ifstream in(path);
    std::string section;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("## ", 0) == 0) section = line.substr(3);
        if (line.rfind("|", 0) != 0) continue;
        const std::vector<std::string> cells = cellsOf(line);
        const std::vector<std::string> longNames = quotedNames(cells.empty() ? "" : cells[0]);
        if (longNames.empty()) continue;  // the header and the rule below it
        const std::vector<std::string> shortNames = quotedNames(cells.size() < 2 ? "" : cells[1]);
        if (section.empty() || shortNames.size() != longNames.size()) {
            malformed.push_back(line);
            continue;
        }
        for (size_t i = 0; i < longNames.size(); ++i)
            table[section].insert(entryOf(longNames[i], shortNames[i]));
    }
    return table;
}

// Whether every node of the type's kind has the attribute (DAG nodes their visibility, ...).
bool isInherited(const mayahost::NodeType& type, const MObject& attribute) {
    const mayahost::Attribute* own = mayahost::attributeOf(attribute);
    const auto& inherited = mayahost::inheritedAttributes(type.kind);
    return std::any_of(inherited.begin(), inherited.end(), [&](const mayahost::AttributePtr& a) {
        return a.get() == own || a->isAncestorOf(own);
    });
}

// The attributes of the node types a loaded plug-in registered, read from a node of each type,
// children included, without those that the type inherits.
void addRegisteredAttributes(const std::string& plugin, AttributeTable& table) {
    for (const std::string& typeName : mayahost::nodeTypesOf(plugin)) {
        MStatus status;
        MFnDependencyNode node;
        node.create(typeName.c_str(), &status);
        ASSERT_TRUE(status) << "createNode " << typeName << ": " << status.errorString().asChar();
        const mayahost::NodeType& type = *mayahost::Registry::instance().findType(typeName);
        std::set<std::string>& attributes = table[typeName + " (" + plugin + ")"];
        for (unsigned int i = 0; i < node.attributeCount(); ++i) {
            const MObject attribute = node.attribute(i);
            if (isInherited(type, attribute)) continue;
            const MFnAttribute fn(attribute);
            attributes.insert(entryOf(fn.name().asChar(), fn.shortName().asChar()));
        }
    }
}

// The plug-ins the build puts in its plug-in folder, by name.
std::vector<std::string> builtPlugins() {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& file : std::filesystem::directory_iterator(PLUGIN_DIR, error))
        if (file.path().extension() == ".so") names.push_back(file.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What `reference` holds and `table` lacks, one "section: attribute" per line; a section missing
// altogether is named alone.
std::string missingFrom(const AttributeTable& table, const AttributeTable& reference) {
    std::string missing;
    for (const auto& [section, attributes] : reference) {
        const auto match = table.find(section);
        if (match == table.end()) {
            missing += "  section \"## " + section + "\"\n";
            continue;
        }
        for (const std::string& attribute : attributes)
            if (!match->second.count(attribute))
                missing += "  " + section + ": " + attribute + "\n";
    }
    return missing;
}

TEST(NodeDocs, TablesListEveryRegisteredAttributeAndNothingElse) {
    const std::vector<std::string> plugins = builtPlugins();
    ASSERT_FALSE(plugins.empty()) << "no plug-ins in " << PLUGIN_DIR;
    AttributeTable registered;
    for (const std::string& plugin : plugins) {
        // pointSuite and frameStore both register zuPointsCache: each is loaded alone.
        mayahost::Scene::current().reset();
        ASSERT_TRUE(mayahost::loadPlugin(std::string(PLUGIN_DIR) + "/" + plugin + ".so")) << plugin;
        addRegisteredAttributes(plugin, registered);
        mayahost::Scene::current().reset();
        ASSERT_TRUE(mayahost::unloadPlugin(plugin)) << plugin;
        if (HasFatalFailure()) return;
    }

    ASSERT_TRUE(std::filesystem::is_regular_file(NODE_DOCS)) << NODE_DOCS;
    std::vector<std::string> malformed;
    const AttributeTable documented = documentedAttributes(NODE_DOCS, malformed);
    for (const std::string& row : malformed)
        ADD_FAILURE() << NODE_DOCS << ": a row whose long and short names do not pair up:\n" << row;
    const std::string undocumented = missingFrom(documented, registered);
    EXPECT_TRUE(undocumented.empty())
        << "registered, but missing from " << NODE_DOCS << " (sections are headed \"## nodeType "
        << "(plugIn)\", rows start \"| `longName` | `shortName` |\"):\n"
        << undocumented;
    const std::string unregistered = missingFrom(registered, documented);
    EXPECT_TRUE(unregistered.empty())
        << "in " << NODE_DOCS << ", but not registered by any plug-in:\n"
        << unregistered;
}

}  // namespace
