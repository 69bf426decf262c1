// Loading supplier plug-ins and changing the secret of a supplier's key.
#include "supplier_manager.h"

#include <gtest/gtest.h>

#include "securelogin/testing/engine_folder.h"

namespace {

using gatelin::Failure;
using gatelin_test::EngineFolder;
using gatelin_test::kSecret;

class SupplierManagerTest : public testing::Test {
 protected:
  SupplierManagerTest() { suppliers.Load(folder.Path()); }

  std::string MakeCurrentFailure(int policy, const std::string& secret = kSecret) {
    const auto failure = suppliers.MakeCurrent(policy, secret);
    return failure ? failure->message + ":" + failure->pluginText : "";
  }

  EngineFolder folder{{"TESTCA", "NOSIGN", "NOINFO", "NOCHPW"}};
  gatelin::SupplierManager suppliers;
};

TEST_F(SupplierManagerTest, LooksUpPoliciesAndSuppliersInFileOrder) {
  EXPECT_EQ(suppliers.PolicyKind(2), 2);
  EXPECT_EQ(suppliers.PolicyKind(99), -1);
  EXPECT_EQ(suppliers.SupplierIdOf(3), 2);
  EXPECT_EQ(suppliers.SupplierNumberOf(3), 8);
  EXPECT_EQ(suppliers.SupplierNumberOf(99), 1);
  EXPECT_EQ(suppliers.AppIdOfPolicy(3), "NOSIGN");
  EXPECT_EQ(suppliers.AppIdOfPolicy(99), std::nullopt);
  EXPECT_EQ(suppliers.SupplierNameOf(2), "测试厂商");
  EXPECT_EQ(suppliers.CapabilityMask(1), 0);
  EXPECT_EQ(suppliers.CapabilityMask(42), -1);
  const auto entry = suppliers.Entry(1);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->displayName, "测试厂商口令认证");
}

TEST_F(SupplierManagerTest, APluginThatCannotServeFailsWithItsMessageAndStaysUnloaded) {
  struct Case {
    int policy;
    const char* secret;
    std::string expected;
  };
  for (const Case& c : std::vector<Case>{
           {99, kSecret, "不能获取厂商的ID:"},
           {5, kSecret, "不能获取厂商模块,可能没有安装:"},
           {4, kSecret, "加载接口<GetSupplierInfo>失败:"},
           {3, kSecret, "加载接口<SignData>失败:"},
           {2, "wrong", "调用认证厂商功能失败:私钥密码错误"},
       }) {
    EXPECT_EQ(MakeCurrentFailure(c.policy, c.secret), c.expected) << "policy " << c.policy;
    EXPECT_EQ(suppliers.Current(), nullptr);
  }
}

TEST_F(SupplierManagerTest, ASupplierWithoutAUsableApplicationIdIsRefused) {
  for (const char* appId : {"", "..", "../TESTCA"}) {
    folder.WriteSettings(std::string("[SafeSupplier]\n1=名,") + appId + ",1\n[SupplierPolicy]\n1=1,2\n");
    suppliers.Load(folder.Path());
    EXPECT_EQ(MakeCurrentFailure(1), "不能获取厂商的应用ID:") << appId;
  }
}

TEST_F(SupplierManagerTest, TheSessionIsKeptForTheSameSecretAndOpenedAfreshForAnother) {
  ASSERT_EQ(MakeCurrentFailure(2), "");
  ASSERT_NE(suppliers.Current(), nullptr);
  // From now on a new session of the plug-in fails, so each call shows
  // whether the engine opened one.
  folder.FailInPlugin("TESTCA", "InitializeSession\n");
  EXPECT_EQ(MakeCurrentFailure(2), "") << "same supplier, same secret: the session stays";
  EXPECT_EQ(MakeCurrentFailure(2, "other"), "调用认证厂商功能失败:InitializeSession测试失败");
  EXPECT_EQ(suppliers.Current(), nullptr);
}

TEST_F(SupplierManagerTest, ChangesTheSecretOnlyWhileThePluginIsNotLoaded) {
  Failure failure;
  ASSERT_EQ(MakeCurrentFailure(2), "");
  EXPECT_EQ(suppliers.ChangeSupplierPassword(2, kSecret, "654321", failure), 0);
  EXPECT_EQ(failure.message, "证书已加载，不能修改私钥密码，请在登录前修改密码。");

  suppliers.Unload();
  EXPECT_EQ(suppliers.ChangeSupplierPassword(2, "wrong", "654321", failure), 0);
  EXPECT_EQ(failure.message, "私钥密码错误");
  EXPECT_EQ(suppliers.ChangeSupplierPassword(2, kSecret, "654321", failure), 1);
  EXPECT_EQ(MakeCurrentFailure(2, kSecret), "调用认证厂商功能失败:私钥密码错误");
  EXPECT_EQ(MakeCurrentFailure(2, "654321"), "");
}

TEST_F(SupplierManagerTest, PasswordChangeNeedsItsThreeFunctions) {
  Failure failure;
  EXPECT_EQ(suppliers.ChangeSupplierPassword(6, kSecret, "x", failure), 0);
  EXPECT_EQ(failure.message, "加载接口<ChangePassword>失败");
  EXPECT_EQ(suppliers.ChangeSupplierPassword(5, kSecret, "x", failure), 0);
  EXPECT_EQ(failure.message, "不能获取厂商模块,可能没有安装");
  EXPECT_EQ(suppliers.ChangeSupplierPassword(99, kSecret, "x", failure), 0);
  EXPECT_EQ(failure.message, "不能获取厂商的ID");
}

}  // namespace
