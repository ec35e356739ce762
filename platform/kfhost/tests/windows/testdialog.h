// Resource numbers of the test dialogs (shared by the resource script and the code).
#pragma once

#define KF_TEST_DIALOG 100
#define KF_TEST_DETAILS 200

#define KF_TEST_NAME 101
#define KF_TEST_MODE 102
#define KF_TEST_LIBRARIES 103
#define KF_TEST_TREE 104
#define KF_TEST_BACKUP 105
#define KF_TEST_MORE 106
#define KF_TEST_MODEL 107
#define KF_TEST_MESSAGE 108
#define KF_TEST_OPTIONS 109
#define KF_TEST_HELP 9
#define KF_TEST_DETAIL_TEXT 201
