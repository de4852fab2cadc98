// GL feedback capture and the quads behind GL's triangles (see feedback.h).
#include "tests/support/feedback.h"

#include <gtest/gtest.h>

#include <cmath>

#include "framework/window/graphics.h"

std::vector<FeedbackPrim> feedback_capture(const std::function<void()>& draw) {
    static std::vector<GLfloat> buffer(1 << 22);
    glFeedbackBuffer((GLsizei)buffer.size(), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    GLint n = glRenderMode(GL_RENDER);
    EXPECT_GE(n, 0) << "feedback buffer overflow";
    std::vector<FeedbackPrim> prims;
    auto vertex = [&](GLint& i) {
        const GLfloat* f = &buffer[i];  // x, y, z, RGBA, STRQ
        i += 11;
        return FeedbackVertex{f[0], f[1], graphics.height - (double)f[1], f[2], {f[3], f[4], f[5], f[6]}, f[7], f[8]};
    };
    for (GLint i = 0; i < n;) {
        GLenum token = (GLenum)buffer[i++];
        FeedbackPrim p{token, {}};
        if (token == GL_PASS_THROUGH_TOKEN) {
            i++;
            continue;
        } else if (token == GL_POINT_TOKEN) {
            p.v.push_back(vertex(i));
        } else if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN) {
            p.token = GL_LINE_TOKEN;
            p.v.push_back(vertex(i));
            p.v.push_back(vertex(i));
        } else if (token == GL_POLYGON_TOKEN) {
            int count = (int)buffer[i++];
            for (int k = 0; k < count; k++) p.v.push_back(vertex(i));
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
        prims.push_back(p);
    }
    return prims;
}

static bool same(const FeedbackVertex& a, const FeedbackVertex& b) {
    bool same_place = fabs(a.x - b.x) < 1e-3 && fabs(a.y - b.y) < 1e-3 && fabs(a.depth - b.depth) < 1e-6;
    bool same_look = fabs(a.s - b.s) < 1e-5 && fabs(a.t - b.t) < 1e-5;
    for (int k = 0; k < 4; k++) same_look = same_look && fabs(a.colour[k] - b.colour[k]) < 1e-5;
    return same_place && same_look;
}

std::vector<FeedbackVertex> feedback_quads(const std::vector<FeedbackPrim>& prims) {
    std::vector<FeedbackVertex> out;
    for (size_t i = 0; i < prims.size(); i++) {
        const std::vector<FeedbackVertex>& t1 = prims[i].v;
        if (prims[i].token == GL_POLYGON_TOKEN && t1.size() == 4) {
            out.insert(out.end(), t1.begin(), t1.end());
            continue;
        }
        if (t1.size() != 3 || i + 1 >= prims.size() || prims[i + 1].v.size() != 3) {
            ADD_FAILURE() << "primitive " << i << " of " << t1.size() << " vertices is no quad";
            return out;
        }
        const std::vector<FeedbackVertex>& t2 = prims[++i].v;
        if (same(t1[1], t2[0]) && same(t1[2], t2[2]))
            out.insert(out.end(), {t1[0], t1[1], t2[1], t1[2]});
        else if (same(t1[0], t2[0]) && same(t1[2], t2[1]))
            out.insert(out.end(), {t1[0], t1[1], t1[2], t2[2]});
        else
            ADD_FAILURE() << "triangle pair " << i << " does not form a quad";
    }
    return out;
}

std::vector<FeedbackVertex> feedback_polygon_vertices(const std::vector<FeedbackPrim>& prims) {
    std::vector<FeedbackVertex> out;
    for (const FeedbackPrim& p : prims)
        if (p.token == GL_POLYGON_TOKEN) out.insert(out.end(), p.v.begin(), p.v.end());
    return out;
}
