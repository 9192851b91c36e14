// Walking, jumping, falling and collision, tick by tick.
#include "player/movement.h"

#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

class Movement : public testing::Test {
protected:
    Movement()
    {
        makeFakeBlockTypes(types);
        fillWithAir(grid.get(), types);
        state = newGameState(nullptr);
        // Past the first ticks, so that a jump may start.
        tickCount = 100;
        jumpEndTick = 0;
    }

    void solid(int column, int row) { setCell(grid.get(), types, column, row, blockStone); }

    void solidRow(int row, int fromColumn = 0, int toColumn = worldColumns - 1)
    {
        for (int column = fromColumn; column <= toColumn; column++)
            solid(column, row);
    }

    // The player standing on row 121 at (x, 1190), as after landing.
    void standOnGround(float x)
    {
        solidRow(121);
        state.playerX = x;
        state.playerY = 1190.0f;
        state.onGround = 1;
    }

    void tick(int times = 1)
    {
        for (int i = 0; i < times; i++)
            state = updatePlayer(state, grid.get(), tickCount, jumpEndTick);
    }

    void hold(int key, bool held = true) { state.keys[key] = held ? 1 : 0; }

    GuardedGrid grid;
    Block types[blockTypeCount];
    GameState state;
    int32_t tickCount;
    int32_t jumpEndTick;
};

TEST_F(Movement, NoJumpCanStartOnTheVeryFirstTick)
{
    standOnGround(30.0f);
    tickCount = 0;
    hold(keyUp);
    tick();
    EXPECT_EQ(state.playerY, 1190.0f);
    EXPECT_EQ(tickCount, 1);
    EXPECT_EQ(jumpEndTick, 0);
}

TEST_F(Movement, StandingOnGroundStaysAndFallingIs150PixelsASecond)
{
    standOnGround(30.0f);
    state.onGround = 0;
    tick();
    EXPECT_EQ(state.playerY, 1190.0f);
    EXPECT_EQ(state.onGround, 1);

    state = newGameState(nullptr);
    tick(60);
    EXPECT_EQ(state.playerY, 30.0f + 150.0f);
    EXPECT_EQ(state.onGround, 0);
    EXPECT_EQ(tickCount, 161);
}

TEST_F(Movement, FallingLandsWithTheFeetOnTheRow)
{
    solidRow(121);
    tick(600);
    EXPECT_EQ(state.playerY, 1190.0f);
    EXPECT_EQ(state.onGround, 1);
}

TEST_F(Movement, HoldingJumpClimbsTwiceThenFalls)
{
    standOnGround(30.0f);
    hold(keyUp);
    std::vector<float> climbed;
    for (int i = 0; i < 24; i++) {
        tick();
        climbed.push_back(1190.0f - state.playerY);
    }
    EXPECT_EQ(climbed[0], 5.0f);
    EXPECT_EQ(climbed[9], 27.5f);  // after 10 ticks
    EXPECT_EQ(climbed[10], 25.0f); // the second jump starts in the air
    EXPECT_EQ(climbed[20], 50.0f); // after 21 ticks
    EXPECT_EQ(climbed[21], 47.5f);
    EXPECT_EQ(climbed[23], 42.5f);
    EXPECT_EQ(state.onGround, 0);
}

TEST_F(Movement, ReleasingJumpAfterThreeTicksEndsTheRise)
{
    standOnGround(30.0f);
    hold(keyUp);
    tick(3);
    EXPECT_EQ(state.playerY, 1180.0f); // 5 + 2.5 + 2.5 up
    hold(keyUp, false);
    tick();
    EXPECT_EQ(state.playerY, 1182.5f);
}

TEST_F(Movement, ABlockAboveTheHeadGivesTheBumpCycle)
{
    standOnGround(30.0f);
    solid(3, 118);
    hold(keyUp);
    std::vector<float> heights;
    for (int i = 0; i < 9; i++) {
        tick();
        heights.push_back(state.playerY);
    }
    EXPECT_EQ(heights, (std::vector<float>{1185, 1187.5, 1190, 1185, 1187.5, 1190, 1185, 1187.5, 1190}));
}

TEST_F(Movement, WallsStopThePlayerFlushWithTheirEdges)
{
    standOnGround(55.0f);
    solid(3, 120); // a wall to the left, lower half
    hold(keyLeft);
    tick(10);
    EXPECT_EQ(state.playerX, 40.0f);

    state.playerX = 55.0f;
    hold(keyLeft, false);
    solid(8, 119); // a wall to the right, upper half
    hold(keyRight);
    tick(10);
    EXPECT_EQ(state.playerX, 70.0f);
}

TEST_F(Movement, TheWorldsEdgesStopThePlayer)
{
    standOnGround(5.0f);
    hold(keyLeft);
    tick(5);
    EXPECT_EQ(state.playerX, 0.0f);

    state.playerX = 7180.0f;
    hold(keyLeft, false);
    hold(keyRight);
    tick(10);
    EXPECT_EQ(state.playerX, 7187.5f);
}

TEST_F(Movement, NoFallBelowTheFloorLimitEvenOverOpenCells)
{
    state.playerY = 4760.0f;
    state.playerX = 500.0f;
    tick(5);
    EXPECT_EQ(state.playerY, 4760.0f);
    EXPECT_EQ(state.onGround, 1);
}

TEST_F(Movement, BothSideKeysHeldCancelOut)
{
    standOnGround(500.0f);
    hold(keyLeft);
    hold(keyRight);
    tick(20);
    EXPECT_EQ(state.playerX, 500.0f);
}

TEST_F(Movement, WalkingOffALedgeAllowsOneJumpInTheAir)
{
    solidRow(121, 0, 5); // ground ends at column 5
    state.playerX = 50.0f;
    state.playerY = 1190.0f;
    state.onGround = 1;
    hold(keyRight);
    tick(6);
    EXPECT_GT(state.playerY, 1190.0f); // falling
    EXPECT_EQ(state.onGround, 1);      // falling does not clear it

    hold(keyRight, false);
    float before = state.playerY;
    hold(keyUp);
    tick();
    EXPECT_EQ(state.playerY, before - 2.5f); // rising 5, falling 2.5
    EXPECT_EQ(state.onGround, 0);
    tick(30);
    EXPECT_EQ(state.onGround, 0); // until it lands
}

TEST_F(Movement, AnOddScreenWidthShiftsThePlayerColumn)
{
    standOnGround(1000.0f);
    solid(99, 119); // in the head cell only when the column is 99
    hold(keyUp);

    state.screenWidth = 1440; // column 100: the head is free
    tick();
    EXPECT_EQ(state.playerY, 1185.0f);

    standOnGround(1000.0f);
    state.screenWidth = 1366; // half 683: column 99, under the block
    tick();
    EXPECT_EQ(state.playerY, 1190.0f);
}

TEST_F(Movement, CanStepLeftDecidesInTheDocumentedOrder)
{
    Block open = types[blockAir], wall = types[blockStone];
    wall.x = 90.0f;
    open.x = 90.0f;
    EXPECT_FALSE(canStepLeft(open, open, 0.0f));
    EXPECT_TRUE(canStepLeft(open, open, 100.0f));
    EXPECT_FALSE(canStepLeft(wall, open, 100.0f));
    EXPECT_FALSE(canStepLeft(open, wall, 100.0f));
    EXPECT_TRUE(canStepLeft(wall, wall, 102.5f)); // still inside its own column
}

TEST_F(Movement, PositionsOutsideTheWorldNeverReadOutsideTheGrid)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float xs[] = {-1.0e9f, -12.5f, 0.0f, 7187.5f, 7190.0f, 7200.0f, 7205.0f, 1.0e9f, inf, -inf, nan};
    const float ys[] = {-1.0e9f, -25.0f, -5.0f, 0.0f, 4760.0f, 4775.0f, 4800.0f, 1.0e9f, inf, -inf, nan};
    solidRow(0);
    solidRow(479);
    for (int width : {1440, 1921}) {
        for (float x : xs) {
            for (float y : ys) {
                state = newGameState(nullptr);
                state.screenWidth = width;
                state.playerX = x;
                state.playerY = y;
                state.onGround = 1;
                for (int key : {keyUp, keyLeft, keyRight})
                    hold(key);
                tick(3);
            }
        }
    }
}

TEST_F(Movement, AJumpAboveTheTopOfTheWorldGoesOnThroughOpenAir)
{
    state.playerY = 0.0f;
    state.onGround = 1;
    hold(keyUp);
    tick(5);
    EXPECT_LT(state.playerY, 0.0f);
    hold(keyUp, false);
    tick(200);
    EXPECT_GT(state.playerY, 0.0f); // and falls back in
}

TEST_F(Movement, CountersWrapInsteadOfOverflowing)
{
    tickCount = std::numeric_limits<int32_t>::max();
    tick();
    EXPECT_EQ(tickCount, std::numeric_limits<int32_t>::min());
}

} // namespace
