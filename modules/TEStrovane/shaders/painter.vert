#version 150
// One brush stroke per instance: centre and size from the stroke texture,
// orientation from the flow field, shape from a frame of the brush atlas.
in vec2 vPosition; // unused; corners come from the vertex index

uniform sampler2D tex_stroke_info;
uniform sampler2D tex_dir;
uniform sampler2D tex_img; // declared for the pass's binding table; unused
uniform int batch;
uniform int brushnum_per_batch;
uniform int brushsetNum;
uniform vec4 texPos[100];
uniform int texRotated[100];
uniform vec2 imageScale;
uniform vec2 brushScale;
uniform float strokeSize;
uniform float strokeRotation;
uniform float strokeRotationJitter;
uniform float revealSize;
uniform float revealSpread;
uniform vec2 revealCenter;
uniform sampler2D tex_image;
uniform float strokeColorJitter;
// Strokes larger than this (squared size) are drawn by chance, in
// keepArea / size² of the cases; 0 draws all.
uniform float keepArea;

flat out int frame;
// The stroke's colour, and the same jittered in HSL: one value per stroke,
// worked out here rather than for every fragment.
flat out vec3 strokeColour;
flat out vec3 paintColour;
out vec2 tc;
out vec2 ic;
out vec4 stroke;
out float revealAlpha;

#include "include/hsl.glsl"

float rand(vec2 p)
{
    return fract(sin(dot(p, vec2(12.9898, 78.233))) * 43758.5453);
}

// 1 well inside the reveal disc, 0 well outside; a zero-width ramp is a
// hard edge.
float ramp(float e0, float e1, float x)
{
    if (e1 == e0)
        return x <= e0 ? 1.0 : 0.0;
    float t = clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

void main()
{
    const vec2 corners[4] = vec2[4](vec2(-0.5, -0.5), vec2(0.5, -0.5), vec2(-0.5, 0.5), vec2(0.5, 0.5));
    vec2 c = corners[gl_VertexID];
    int i = gl_InstanceID + batch * brushnum_per_batch;
    vec4 s = texelFetch(tex_stroke_info, ivec2(i % 1024, i / 1024), 0);
    stroke = s;
    // A brush set without frames draws nothing; nor does a stroke left
    // out of a preview.
    float area = s.z * s.z;
    if (brushsetNum <= 0 || (keepArea > 0.0 && area > keepArea && rand(s.xy + vec2(0.37, 0.71)) * area > keepArea)) {
        frame = 0;
        strokeColour = vec3(0.0);
        paintColour = vec3(0.0);
        tc = vec2(0.0);
        ic = vec2(0.0);
        revealAlpha = 0.0;
        gl_Position = vec4(2.0, 2.0, 2.0, 1.0);
        return;
    }
    vec2 dir = texture(tex_dir, s.xy).xy;
    int f = gl_InstanceID % brushsetNum;
    float jitter = 1.0 - 2.0 * rand(s.xy) * strokeRotationJitter;
    float angle;
    mat2 scale;
    if (texRotated[f] < 1) {
        angle = (atan(dir.y, dir.x) + strokeRotation) * jitter;
        scale = mat2(1.0 + brushScale.y, 0.0, 0.0, texPos[f].z * (1.0 + brushScale.x) / texPos[f].w);
    } else {
        angle = (atan(dir.y, dir.x) - 3.1415926 / 2.0 + strokeRotation) * jitter;
        scale = mat2(texPos[f].z * (1.0 + brushScale.x) / texPos[f].w, 0.0, 0.0, 1.0 + brushScale.y);
    }
    mat2 R = mat2(cos(angle), sin(angle), -sin(angle), cos(angle));
    mat2 A = mat2(imageScale.x, 0.0, 0.0, imageScale.y);
    mat2 M = strokeSize * A * R * s.z * scale;
    vec2 position = M * c + 2.0 * s.xy - 1.0;
    gl_Position = vec4(position, 0.5, 1.0);

    frame = f;
    vec3 q = textureLod(tex_image, s.xy, 0.0).rgb;
    strokeColour = q;
    vec3 hsl = rgb2hsl(q);
    float h = hsl.x * (1.0 - strokeColorJitter * (2.0 * rand(s.xy) - 1.0));
    float sat = hsl.y * (1.0 - strokeColorJitter * (2.0 * rand(s.xy + 0.1) - 1.0));
    paintColour = hsl2rgb(h, sat, hsl.z);
    tc = c + 0.5;
    ic = position / 2.0 + 0.5;
    float e0 = revealSize + revealSpread + 0.05;
    float e1 = revealSize - revealSpread - 0.05;
    // A stroke placed beyond the edge of a thin picture is revealed as the
    // nearest point of the picture.
    revealAlpha = ramp(e0, e1, distance(clamp(s.xy, 0.0, 1.0), vec2(0.5) + revealCenter) / 0.5);
}
