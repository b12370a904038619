// The registration table: order, messages, where it stops and where it goes on.
#include <gtest/gtest.h>
#include <maya/MPxCommand.h>
#include <maya/MPxNode.h>
#include <mayahost/Messages.h>

#include <memory>

#include "commands/CommandRegistry.h"
#include "plugins/Plugins.h"
#include "graph/Registry.h"
#include "common/pluginRegistration.h"

namespace {

struct EmptyNode : MPxNode {
    static void* creator() { return new EmptyNode; }
    static MStatus initialize() { return MS::kSuccess; }
};

struct EmptyCommand : MPxCommand {
    static void* creator() { return new EmptyCommand; }
    MStatus doIt(const MArgList&) override { return MS::kSuccess; }
};

RegistrationStep nodeStep(const char* name, unsigned id) {
    return RegistrationStep::node(name, MTypeId(id), EmptyNode::creator, EmptyNode::initialize, MPxNode::kDependNode);
}

bool registered(const char* name) { return mayahost::Registry::instance().findType(name) != nullptr; }

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override {
        mayahost::clearRecordedMessages();
        plugin = MObject(record);
    }
    void TearDown() override {
        for (mayahost::NodeType* type : mayahost::Registry::instance().typesOf(record.get()))
            mayahost::Registry::instance().deregisterType(*type);
        for (const std::string& command : record->commands) mayahost::deregisterPluginCommand(command);
    }

    std::vector<RegistrationStep> table() const {
        return {nodeStep("regFirst", 0x7001), nodeStep("regSecond", 0x7002),
                RegistrationStep::command("regCommand", "regCommandCmd", EmptyCommand::creator),
                nodeStep("regThird", 0x7003), nodeStep("regLast", 0x7004)};
    }

    std::shared_ptr<mayahost::PluginRecord> record = std::make_shared<mayahost::PluginRecord>();
    MObject plugin;
};

TEST_F(RegistrationTest, RegistersEveryStepAndReachesTheEnd) {
    MFnPlugin fn(plugin);
    bool completed = false;
    EXPECT_TRUE(registerSteps(fn, table(), &completed));
    EXPECT_TRUE(completed);
    for (const char* name : {"regFirst", "regSecond", "regThird", "regLast"}) EXPECT_TRUE(registered(name)) << name;
    EXPECT_TRUE(mayahost::commandExists("regCommand"));
    EXPECT_TRUE(mayahost::recordedMessages().empty());
}

TEST_F(RegistrationTest, ClashingTypeStopsWithItsMessageAndKeepsEarlierOnes) {
    auto other = std::make_shared<mayahost::PluginRecord>();
    MObject otherPlugin(other);
    MFnPlugin otherFn(otherPlugin);
    ASSERT_TRUE(otherFn.registerNode("regSecond", MTypeId(0x7102), EmptyNode::creator, EmptyNode::initialize));

    MFnPlugin fn(plugin);
    bool completed = true;
    EXPECT_FALSE(registerSteps(fn, table(), &completed));
    EXPECT_FALSE(completed);
    EXPECT_TRUE(mayahost::hasMessage(mayahost::Message::kError, "Can not register regSecond node"));
    EXPECT_TRUE(registered("regFirst"));
    EXPECT_FALSE(mayahost::commandExists("regCommand"));
    EXPECT_FALSE(registered("regThird"));
    EXPECT_FALSE(registered("regLast"));
    otherFn.deregisterNode(MTypeId(0x7102));
}

TEST_F(RegistrationTest, CommandAlreadyTakenIsReportedAndRegistrationGoesOn) {
    ASSERT_TRUE(mayahost::registerPluginCommand("regCommand", EmptyCommand::creator));
    MFnPlugin fn(plugin);
    bool completed = false;
    EXPECT_TRUE(registerSteps(fn, table(), &completed));
    EXPECT_TRUE(completed);
    EXPECT_TRUE(mayahost::hasMessage(mayahost::Message::kError, "registerCommand regCommandCmd"));
    EXPECT_TRUE(registered("regThird"));
    EXPECT_TRUE(registered("regLast"));
    mayahost::deregisterPluginCommand("regCommand");
}

TEST_F(RegistrationTest, LastStepIsReturnedWithoutAMessage) {
    auto other = std::make_shared<mayahost::PluginRecord>();
    MObject otherPlugin(other);
    MFnPlugin otherFn(otherPlugin);
    ASSERT_TRUE(otherFn.registerNode("regLast", MTypeId(0x7104), EmptyNode::creator, EmptyNode::initialize));

    MFnPlugin fn(plugin);
    bool completed = false;
    EXPECT_FALSE(registerSteps(fn, table(), &completed));
    EXPECT_TRUE(completed);
    EXPECT_FALSE(mayahost::hasMessage(mayahost::Message::kError, "Can not register regLast node"));
    otherFn.deregisterNode(MTypeId(0x7104));
}

TEST_F(RegistrationTest, TeardownRunsInRegistrationOrderAndStopsAtAFailingType) {
    MFnPlugin fn(plugin);
    ASSERT_TRUE(registerSteps(fn, table()));
    // A type that is already gone fails to deregister: the teardown stops there, so the types
    // before it are gone and those after it remain.
    ASSERT_TRUE(fn.deregisterNode(MTypeId(0x7002)));
    bool completed = true;
    EXPECT_FALSE(deregisterSteps(fn, table(), &completed));
    EXPECT_FALSE(completed);
    EXPECT_TRUE(mayahost::hasMessage(mayahost::Message::kError, "deregisterNode regSecond"));
    EXPECT_FALSE(registered("regFirst"));
    EXPECT_TRUE(registered("regThird"));
    EXPECT_TRUE(mayahost::commandExists("regCommand"));
}

TEST_F(RegistrationTest, FailedCommandDeregistrationIsReportedAndTeardownGoesOn) {
    MFnPlugin fn(plugin);
    ASSERT_TRUE(registerSteps(fn, table()));
    ASSERT_TRUE(fn.deregisterCommand("regCommand"));
    bool completed = false;
    EXPECT_TRUE(deregisterSteps(fn, table(), &completed));
    EXPECT_TRUE(completed);
    EXPECT_TRUE(mayahost::hasMessage(mayahost::Message::kError, "deregisterCommand regCommandCmd"));
    for (const char* name : {"regFirst", "regSecond", "regThird", "regLast"}) EXPECT_FALSE(registered(name)) << name;
}

}  // namespace
