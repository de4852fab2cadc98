// The viewer's physics against closed forms, the map tracked in double, a
// plain quadrature of its own, and the CPU reference of the fragment program.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <vector>

#include "app/model/map_space.h"
#include "app/model/physics.h"
#include "tests/support/map_reference.h"

namespace {

const double PI = 3.14159265358979323846;

// The unstable fixed point among the candidates sp and pi - sp, wrapped.
double corner(double phase) {
    double sp = PI / 2 + phase, a = fmod(sp + 4 * PI, 2 * PI), b = fmod(3 * PI - sp, 2 * PI);
    return cos(a) > 0 ? a : b;
}

TEST(FixedPoints, RootsAndTheDiscreteStabilityLimit) {
    for (double degrees : {-30.0, -60.0, -80.0, -90.0, -120.0, 45.0}) {
        double phase = map_radians(degrees), sp = PI / 2 + phase;
        FixedPoints f = fixed_points(phase, 1);
        EXPECT_NEAR(f.x_unstable, corner(phase), 1e-12) << degrees;
        EXPECT_NEAR(sin(f.x_stable), sin(sp), 1e-12) << degrees;
        EXPECT_TRUE(cos(f.x_stable) < 0 && f.x_stable >= 0 && f.x_stable <= 2 * PI) << degrees;
        // Either side of d^2 |cos sp| = 4: an offset of 1e-9 from the centre,
        // tracked in double for 2000 cells, stays put or grows.
        for (double k : {0.1, 0.999, 1.001, 1.5}) {
            double d = k * 2 / sqrt(fabs(cos(sp))), x = f.x_stable + 1e-9, xp = 0, widest = 0;
            for (int i = 0; i < 2000; i++, widest = fmax(widest, fabs(x - f.x_stable))) {
                xp += d * (sin(x) - sin(sp));
                x += d * xp;
            }
            EXPECT_EQ(bucket_exists(d, phase), widest < 1e-6) << degrees << " d " << d << " grew to " << widest;
        }
    }
}

TEST(Separatrix, TurningPointsAndCurveOnTheCornersLevel) {
    for (double degrees : {-30.0, -60.0, -80.0, -89.9, -120.0, 45.0}) {
        double phase = map_radians(degrees), x_u = corner(phase), level = map_energy(x_u, 0, phase), left, right, xp;
        ASSERT_TRUE(separatrix_span(phase, &left, &right)) << degrees;
        EXPECT_NEAR(fmin(fabs(left - x_u), fabs(right - x_u)), 0, 1e-12) << degrees;
        for (double u = 0; u <= 1; u += 1.0 / 64) {  // both ends included: xp = 0 there
            double x = left + u * (right - left);
            ASSERT_EQ(separatrix_xp(phase, x, &xp), 1) << degrees << " x " << x;
            EXPECT_NEAR(map_energy(x, xp, phase), level, 1e-12) << degrees << " x " << x;
        }
        EXPECT_EQ(separatrix_xp(phase, left - 1e-6, &xp) + separatrix_xp(phase, right + 1e-6, &xp), 0) << degrees;
        double x_s = fixed_points(phase, 0).x_stable;
        EXPECT_NEAR(continuum_half_height(phase), sqrt(2 * (level - map_energy(x_s, 0, phase))), 1e-12);
    }
}

TEST(BucketArea, ClosedFormsAndAPlainQuadrature) {
    // Phase -90: H = xp^2/2 + cos x, separatrix xp = 2 sin(x/2) from 0 to 2 pi,
    // area 2 * 8 = 16, half-height 2.
    EXPECT_NEAR(continuum_bucket_area(-PI / 2), 16, 16e-10);
    EXPECT_NEAR(continuum_half_height(-PI / 2), 2, 1e-12);
    // Near phase 0 the well is cubic, V ~ y^3/6 - c^2 y/2 with c = |sin phase|:
    // A -> 4.8 c^(5/2) and the half-height -> 2 c^(3/2) / sqrt 3, to O(c^2).
    double c = sin(map_radians(1e-4));
    EXPECT_NEAR(continuum_bucket_area(map_radians(-1e-4)) / (4.8 * pow(c, 2.5)), 1, 1e-9);
    EXPECT_NEAR(continuum_half_height(map_radians(-1e-4)) / (2 * pow(c, 1.5) / sqrt(3)), 1, 1e-9);
    // Elsewhere the midpoint rule over one hump-to-hump period from the corner,
    // the depth clipped at 0 (its kink and square root keep it to ~1e-9).
    for (double degrees : {-30.0, -60.0, -80.0, -120.0}) {
        double phase = map_radians(degrees), x_u = corner(phase), level = map_energy(x_u, 0, phase);
        double step = (x_u < PI ? 2 * PI : -2 * PI) / 2e6, sum = 0;
        for (int i = 0; i < 2000000; i++) sum += sqrt(2 * fmax(0, level - map_energy(x_u + (i + 0.5) * step, 0, phase)));
        double area = continuum_bucket_area(phase);
        EXPECT_NEAR(area, 2 * sum * fabs(step), 1e-8 * area) << degrees;
    }
    // Small d: the count of survivors approaches the continuum. The map sees
    // the phase only through sin(sp), so +45 keeps the bucket of -45.
    for (double degrees : {-30.0, -60.0})
        EXPECT_NEAR(measured_bucket_area(0.05f, map_phase_radians(degrees), 2000, 160, 160),
                    continuum_bucket_area(map_radians(degrees)), 0.01 * continuum_bucket_area(map_radians(degrees)));
    EXPECT_NEAR(measured_bucket_area(0.25f, map_phase_radians(45), 1000, 128, 128),
                continuum_bucket_area(map_radians(-45)), 0.03 * continuum_bucket_area(map_radians(-45)));
}

TEST(FixedPoints, TuneIsTheTrackedRotationUpToTheLimit) {
    for (double degrees : {-30.0, -80.0, 45.0}) {
        double phase = map_radians(degrees), limit = stability_limit_d(phase);
        for (double d : {0.3, 1.0, 0.99 * limit})
            EXPECT_NEAR(synchrotron_tune(d, phase), map_tracked_tune(d, phase), 0.05) << degrees << " d " << d;
        EXPECT_TRUE(bucket_exists(0.999 * limit, phase)) << degrees;
        EXPECT_FALSE(bucket_exists(1.001 * limit, phase)) << degrees;
        EXPECT_TRUE(std::isnan(synchrotron_tune(1.001 * limit, phase))) << degrees;
    }
    EXPECT_EQ(stability_limit_d(0), 0);
}

TEST(BucketArea, CountInSlicesAndItsHalfHeight) {
    float phase = map_phase_radians(-60);
    BucketCount c;
    bucket_count_start(&c, 0.05f, phase, 2000, 40, 600);
    int slices = 0;
    for (; !bucket_count_done(c); slices++) bucket_count_run(&c, 200000);
    EXPECT_GT(slices, 10);
    EXPECT_EQ(bucket_count_area(c), measured_bucket_area(0.05f, phase, 2000, 40, 600));
    // The black run through xp = 0 at the stable point: within a pixel or two of the continuum's.
    EXPECT_NEAR(bucket_count_half_height(c), continuum_half_height(phase), 2 * 6.0 / 600);
    // Beyond the limit the centre is lost: no run, no height.
    bucket_count_start(&c, 3.0f, phase, 100, 40, 600);
    bucket_count_run(&c, LLONG_MAX);
    EXPECT_EQ(bucket_count_half_height(c), 0);
}

// Phases 0 and +-180 degrees, exact or as the program's float takes them:
// sin x - sin sp never changes sign, so nothing turns (tune 0) and there is no bucket.
TEST(BucketArea, NoBucketGivesZerosNotNaN) {
    for (double phase : {0.0, PI, -PI, (double)map_phase_radians(180), (double)map_phase_radians(-180), std::nan("")}) {
        if (!std::isnan(phase)) {
            EXPECT_EQ(synchrotron_tune(1, phase), 0) << phase;
        }
        double left = -1, right = -1, xp = -1;
        EXPECT_EQ(continuum_bucket_area(phase) + continuum_half_height(phase), 0) << phase;
        EXPECT_FALSE(separatrix_span(phase, &left, &right) || separatrix_xp(phase, 1.5, &xp) || bucket_exists(1, phase));
        EXPECT_EQ(left + right + xp, -3);  // nothing written
    }
}

// Survivors are measured wherever there are any: past the limit they are
// islands, compared with the continuum bucket; the half-height through the
// unstable centre, and any ratio at d = 0 (nothing moves), do not exist.
TEST(BucketArea, FiguresMeasureSurvivorsBucketOrIslands) {
    double phase = map_radians(-30), limit = stability_limit_d(phase);
    for (double d : {0.0, 1.01 * limit}) {
        BucketFigures f = bucket_figures(d, phase, 1.5, 3.0);
        EXPECT_FALSE(f.exists) << d;
        EXPECT_EQ(f.measured_area, 1.5) << d;
        EXPECT_TRUE(std::isnan(f.measured_half_height)) << d;
        EXPECT_EQ(std::isnan(f.ratio), d == 0) << d;
        EXPECT_EQ(f.continuum_area, continuum_bucket_area(phase)) << d;
    }
    EXPECT_EQ(bucket_figures(0, phase, 37.7, 3.0).tune_degrees, 0);
    BucketFigures f = bucket_figures(0.5, phase, 0.9, 0.5);
    EXPECT_EQ(f.measured_area, 0.9);
    EXPECT_EQ(f.measured_half_height, 0.5);
    EXPECT_EQ(f.ratio, 0.9 / continuum_bucket_area(phase));
}

TEST(Tracking, PassesAndBlackPixelsAsTheProgram) {
    const int W = 64, H = 48, STRIDE = (W + 3) * 4;
    const double PIXEL = 2 * PI * 6 / (W * H);
    for (float phase : {map_phase_radians(-30), map_phase_radians(-80), map_phase_radians(45)})
        for (float d : {0.3f, 1.2f, 3.0f})
            for (float maxit : {-1.0f, 0.0f, 100.0f}) {
                std::vector<uint32_t> picture = map_picture(W, H, d, phase, maxit);
                std::vector<unsigned char> rgba(STRIDE * H, 0);  // the black padding must be skipped
                int survivors = 0, mismatches = 0;
                for (int i = 0; i < W * H; i++) {
                    float s = (i % W + 0.5f) / W, t = (i / W + 0.5f) / H;
                    int passes = track_start(s * 3.14159265358979323846264f * 2.0f, t * 6.0f - 3.0f, d, phase, maxit, nullptr, 0);
                    mismatches += passes != map_passes(s, t, d, phase, maxit);
                    survivors += passes > maxit;
                    for (int k = 0; k < 3; k++) rgba[i / W * STRIDE + i % W * 4 + k] = picture[i] >> (16 - 8 * k) & 255;
                }
                EXPECT_EQ(mismatches, 0) << phase << " " << d << " " << maxit;
                EXPECT_NEAR(measured_bucket_area(d, phase, maxit, W, H), survivors * PIXEL, 1e-9);
                EXPECT_NEAR(bucket_area_from_rgba(rgba.data(), W, H, STRIDE), survivors * PIXEL, 1e-9);
            }
    unsigned char black[16] = {0};
    EXPECT_EQ(bucket_area_from_rgba(black, 2, 2, 7) + bucket_area_from_rgba(nullptr, 2, 2, 8), 0);
}

TEST(Tracking, KeptPointsAndTheCounterLimit) {
    float phase = map_phase_radians(-30), all[2 * 64], few[2 * 3 + 1];
    few[6] = 12345;  // guard
    int passes = track_start(0.8f, 0.3f, 0.5f, phase, 100, all, 64);
    ASSERT_TRUE(passes > 3 && passes < 63) << passes;
    EXPECT_EQ(track_start(0.8f, 0.3f, 0.5f, phase, 100, few, 3), passes);
    EXPECT_EQ(std::vector<float>(few, few + 7), std::vector<float>({all[0], all[1], all[2], all[3], all[4], all[5], 12345}));
    EXPECT_EQ(all[0], 0.8f);
    EXPECT_TRUE(all[2 * passes] < 0 || all[2 * passes] > 2 * PI) << all[2 * passes];  // where it left
    // A float counter stops at 2^24: the program would never finish; we stop.
    EXPECT_EQ(track_start(1, 0, 0, phase, 1e9f, nullptr, 0), INT_MAX);
}

}  // namespace
