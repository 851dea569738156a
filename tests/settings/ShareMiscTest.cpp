#include "settings/ShareMisc.h"

#include <gtest/gtest.h>

using namespace velvane;

TEST(TConfig, NewRecordIsAllZeros)
{
    TConfig cfg;
    EXPECT_EQ(cfg.cfg_Action, 0);
    EXPECT_EQ(cfg.cfg_TimeLenght, 0);
    EXPECT_EQ(cfg.cfg_Order, 0);
    EXPECT_EQ(cfg.cfg_ProxyIP, "");
    EXPECT_EQ(cfg.cfg_ProxyPort, 0);
    EXPECT_EQ(cfg.cfg_CurrentIMG, "");
    EXPECT_EQ(cfg.cfg_CurrentImgPos, 0);
    EXPECT_EQ(cfg.cfg_LastAplly, 0.0);
    EXPECT_EQ(cfg.cfg_FileInUse, "");
    EXPECT_EQ(cfg.cfg_ConType, 0);
    EXPECT_EQ(cfg.cfg_MailUser, "");
    EXPECT_FALSE(cfg.cfg_Activate);
    EXPECT_FALSE(cfg.cfg_UseDefaultImage);
    EXPECT_FALSE(cfg.cfg_IEProxyAuto);
    EXPECT_FALSE(cfg.cfg_Silent);
    EXPECT_EQ(cfg.cfg_Priority, 0);
    EXPECT_EQ(cfg.cfg_LastImageError, 0);
    EXPECT_FALSE(Online.load());
}
