// Reading "Gatelin.ini" and the policy list made from it.
#include <gtest/gtest.h>

#include <cstring>

#include "gatelin_settings.h"
#include "ini_section.h"
#include "policy_list.h"
#include "securelogin/testing/engine_folder.h"
#include "supplier_manager.h"

namespace {

using gatelin_test::EngineFolder;

std::int32_t Int32At(const unsigned char* at) {
  return static_cast<std::int32_t>(at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24);
}

TEST(IniSection, ReadsTheFirstSectionOfTheNameAndSkipsWhatIsNoPair) {
  EngineFolder folder;
  folder.WriteSettings(
      "top=1\r\n"
      "[ safepolicy ]\r\n"
      "; comment=no\r\n"
      "  1 = 口令认证 \r\n"
      "garbage line\r\n"
      "\r\n"
      "2=\r\n"
      "[Other]\n"
      "3=x\n"
      "[SafePolicy]\n"
      "4=second section is not read\n");
  const auto pairs = gatelin::ReadIniSection(folder.Path() + "/Gatelin.ini", "SafePolicy");
  EXPECT_EQ(pairs, (gatelin::IniPairs{{"1", "口令认证"}, {"2", ""}}));
  EXPECT_TRUE(gatelin::ReadIniSection(folder.Path() + "/Gatelin.ini", "Missing").empty());
  EXPECT_TRUE(gatelin::ReadIniSection(folder.Path() + "/none.ini", "SafePolicy").empty());
}

TEST(GatelinSettings, BuildsTheRecordsOfTheThreeSections) {
  EngineFolder folder;
  const auto settings = gatelin::LoadGatelinSettings(folder.Path() + "/Gatelin.ini");
  ASSERT_EQ(settings.policies.size(), 2u);
  EXPECT_EQ(settings.policies[1].id, 2);
  EXPECT_EQ(settings.policies[1].mask, 2u);
  EXPECT_EQ(settings.policies[1].name, "证书认证");
  ASSERT_EQ(settings.suppliers.size(), 5u);
  EXPECT_EQ(settings.suppliers[1].name, "缺签名厂商");
  EXPECT_EQ(settings.suppliers[1].appId, "NOSIGN");
  EXPECT_EQ(settings.suppliers[1].number, 8);
  EXPECT_EQ(settings.suppliers[1].capabilityMask, 0);
  ASSERT_EQ(settings.supplierPolicies.size(), 7u);
  // Policy 3: supplier 2, kind 2.
  EXPECT_EQ(settings.supplierPolicies[2].supplierId, 2);
  EXPECT_EQ(settings.supplierPolicies[2].kindId, 2);
  EXPECT_EQ(settings.supplierPolicies[2].displayName, "缺签名厂商证书认证");
  EXPECT_EQ(settings.supplierPolicies[6].displayName, "测试厂商") << "kind 3 is unknown: its part stays empty";
}

TEST(GatelinSettings, MissingAndMalformedSectionsGiveWhatCanBeRead) {
  EngineFolder folder;
  folder.WriteSettings(
      "[SafeSupplier]\n"
      "x=名字,APP,1\n"   // key is no number: passed over
      "3=只有名字\n"     // no application id, no number
      "4=名,APP4,abc\n"  // number malformed
      "[SupplierPolicy]\n"
      "1=3\n"  // no kind
      "2=,\n"
      "3=9,1\n");  // unknown supplier
  const auto settings = gatelin::LoadGatelinSettings(folder.Path() + "/Gatelin.ini");
  EXPECT_TRUE(settings.policies.empty()) << "[SafePolicy] is missing";
  ASSERT_EQ(settings.suppliers.size(), 2u);
  EXPECT_EQ(settings.suppliers[0].id, 3);
  EXPECT_EQ(settings.suppliers[0].appId, "");
  EXPECT_EQ(settings.suppliers[0].number, 0);
  EXPECT_EQ(settings.suppliers[1].number, 0);
  ASSERT_EQ(settings.supplierPolicies.size(), 3u);
  EXPECT_EQ(settings.supplierPolicies[0].supplierId, 3);
  EXPECT_EQ(settings.supplierPolicies[0].kindId, 0);
  EXPECT_EQ(settings.supplierPolicies[0].displayName, "只有名字");
  EXPECT_EQ(settings.supplierPolicies[1].supplierId, 0);

  EXPECT_TRUE(gatelin::LoadGatelinSettings(folder.Path() + "/missing.ini").supplierPolicies.empty());
}

TEST(GatelinSettings, PolicyMaskNeverShiftsByANegativeAmount) {
  EXPECT_EQ(gatelin::PolicyMask(1), 1u);
  EXPECT_EQ(gatelin::PolicyMask(32), 0x80000000u);
  EXPECT_EQ(gatelin::PolicyMask(33), 1u);
  EXPECT_EQ(gatelin::PolicyMask(0), 0u);
  EXPECT_EQ(gatelin::PolicyMask(-5), 0u);

  EngineFolder folder;
  folder.WriteSettings("[SafePolicy]\n0=零\n-3=负\n");
  const auto settings = gatelin::LoadGatelinSettings(folder.Path() + "/Gatelin.ini");
  ASSERT_EQ(settings.policies.size(), 2u);
  EXPECT_EQ(settings.policies[0].mask, 0u);
  EXPECT_EQ(settings.policies[1].mask, 0u);
}

TEST(PolicyList, DescribesEachPolicyInItsFixedLayout) {
  EngineFolder folder;
  gatelin::SupplierManager suppliers;
  suppliers.Load(folder.Path());
  unsigned char list[GTN_POLICY_LIST_SIZE + 1];
  std::memset(list, 0xEE, sizeof list);
  gatelin::WritePolicyList(suppliers, list);
  EXPECT_EQ(list[GTN_POLICY_LIST_SIZE], 0xEE) << "nothing written past the list";
  EXPECT_EQ(Int32At(list), 7);
  const unsigned char* third = list + 4 + 2 * GTN_POLICY_ENTRY_SIZE;
  EXPECT_EQ(Int32At(third + gatelin::kPolicyEntryKindOffset), 2);
  EXPECT_EQ(Int32At(third + gatelin::kPolicyEntrySupplierNumberOffset), 8);
  EXPECT_STREQ(reinterpret_cast<const char*>(third + gatelin::kPolicyEntryNameOffset), "缺签名厂商证书认证");
  EXPECT_EQ(Int32At(third + gatelin::kPolicyEntryNumberOffset), 3);
  const unsigned char* unused = list + 4 + 7 * GTN_POLICY_ENTRY_SIZE;
  EXPECT_EQ(Int32At(unused + gatelin::kPolicyEntryNumberOffset), 0);
}

TEST(PolicyList, KeepsTheFirstSixteenPoliciesAndCutsLongNamesOnACharacter) {
  std::string text = "[SafePolicy]\n1=" + std::string(200, 'k') + "\n[SafeSupplier]\n1=" + std::string(101, 'a') +
                     "中文" + ",APP,5\n[SupplierPolicy]\n";
  for (int policy = 1; policy <= 20; ++policy) text += std::to_string(policy) + "=1,1\n";
  EngineFolder folder;
  folder.WriteSettings(text);
  gatelin::SupplierManager suppliers;
  suppliers.Load(folder.Path());
  EXPECT_EQ(suppliers.PolicyCount(), 20);
  unsigned char list[GTN_POLICY_LIST_SIZE];
  gatelin::WritePolicyList(suppliers, list);
  EXPECT_EQ(Int32At(list), GTN_POLICY_LIST_CAPACITY);
  const unsigned char* last = list + 4 + 15 * GTN_POLICY_ENTRY_SIZE;
  EXPECT_EQ(Int32At(last + gatelin::kPolicyEntryNumberOffset), 16);
  const std::string name(reinterpret_cast<const char*>(last + gatelin::kPolicyEntryNameOffset));
  EXPECT_EQ(name.size(), 127u);
  EXPECT_EQ(name.substr(0, 105), std::string(101, 'a') + "中文");
}

TEST(PolicyList, ANameCutMidCharacterKeepsOnlyWholeCharacters) {
  // 126 ASCII bytes, then a two-byte character that would end at byte 128.
  EngineFolder folder;
  folder.WriteSettings("[SafePolicy]\n1=" + std::string(126, 'k') +
                       "中\n[SafeSupplier]\n1=,APP,5\n[SupplierPolicy]\n1=1,1\n");
  gatelin::SupplierManager suppliers;
  suppliers.Load(folder.Path());
  unsigned char list[GTN_POLICY_LIST_SIZE];
  gatelin::WritePolicyList(suppliers, list);
  const std::string name(reinterpret_cast<const char*>(list + 4 + gatelin::kPolicyEntryNameOffset));
  EXPECT_EQ(name, std::string(126, 'k'));
}

}  // namespace
