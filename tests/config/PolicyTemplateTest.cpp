#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "TestSupport.h"
#include "config/AdminPolicy.h"

// Holds the administrative template (resources/policy) to the policy reader: a value the
// template wrote under another name or key would be set by administrators and never read.

namespace updater {
namespace {

using test::Narrow;

std::string TemplateFile(const std::string& name) {
  std::ifstream file(UPDATER_POLICY_TEMPLATE_DIR "/" + name, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Every text between `opening` and the next `closing`, as often as it occurs.
std::multiset<std::string> Between(const std::string& text, const std::string& opening,
                                   char closing) {
  std::multiset<std::string> found;
  for (size_t at = text.find(opening); at != std::string::npos; at = text.find(opening, at + 1)) {
    const size_t begin = at + opening.size();
    found.insert(text.substr(begin, text.find(closing, begin) - begin));
  }
  return found;
}

std::set<std::string> Distinct(const std::multiset<std::string>& texts) {
  return std::set<std::string>(texts.begin(), texts.end());
}

TEST(PolicyTemplateTest, WritesEachValueTheReaderReadsOnceUnderItsKey) {
  const std::string admx = TemplateFile("Updater.admx");
  ASSERT_FALSE(admx.empty()) << "cannot read " << UPDATER_POLICY_TEMPLATE_DIR "/Updater.admx";
  std::multiset<std::string> expected;
  for (const wchar_t* name : kPolicyValueNames) expected.insert(Narrow(name));
  EXPECT_EQ(expected, Between(admx, "valueName=\"", '"'));

  const std::multiset<std::string> keys = Between(admx, " key=\"", '"');
  EXPECT_EQ(expected.size(), keys.size());
  EXPECT_EQ(std::set<std::string>{Narrow(PolicyKeyPath(L"YourConfigurationID"))}, Distinct(keys));
}

TEST(PolicyTemplateTest, UsesExactlyTheStringsAndPresentationsItsLanguageFileDefines) {
  const std::string admx = TemplateFile("Updater.admx");
  const std::string adml = TemplateFile("en-US/Updater.adml");
  ASSERT_FALSE(admx.empty() || adml.empty()) << "cannot read the template in "
                                             << UPDATER_POLICY_TEMPLATE_DIR;
  const struct {
    const char* reference;
    const char* definition;
  } kinds[] = {{"$(string.", "<string id=\""}, {"$(presentation.", "<presentation id=\""}};
  for (const auto& kind : kinds) {
    const std::multiset<std::string> defined = Between(adml, kind.definition, '"');
    EXPECT_EQ(Distinct(Between(admx, kind.reference, ')')), Distinct(defined)) << kind.reference;
    EXPECT_EQ(Distinct(defined).size(), defined.size()) << kind.definition << " defined twice";
  }
}

}  // namespace
}  // namespace updater
