// Other running copies as the system shows them: the marker object of the session.
#include <windows.h>

#include <gtest/gtest.h>

#include "win32/process_info_win32.h"

namespace sonorin::win32 {
namespace {

TEST(ProcessInfoTest, AMarkerThisCopyMayNotOpenIsACopyThatRuns) {
    // What a copy started as administrator leaves to one started without: the marker exists,
    // and its access list (here an empty one) grants the later copy nothing.
    SECURITY_DESCRIPTOR descriptor;
    ACL acl;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(InitializeAcl(&acl, sizeof acl, ACL_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, &acl, FALSE));
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    const wchar_t* name = L"Local\\Sonorin.RunningInstance";
    HANDLE elevated = CreateMutexW(&attributes, FALSE, name);
    ASSERT_NE(elevated, nullptr);
    const HANDLE refused = CreateMutexW(nullptr, FALSE, name);
    ASSERT_EQ(refused, nullptr);
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    EXPECT_TRUE(Win32ProcessInfo().anotherInstanceRunning());
    CloseHandle(elevated);
}

}  // namespace
}  // namespace sonorin::win32
