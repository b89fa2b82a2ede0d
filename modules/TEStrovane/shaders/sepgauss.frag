#version 150
// Two Gaussians of the lightness along one axis: weights[i] holds the
// (narrow, wide) weight of offset i, read on both sides.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D image;
uniform vec2 axisStep;
// The first axis keeps the wide blur in whole 1/255 steps, counted in y:
// the line image's look was tuned with that rounding of the wide blur.
uniform int split; // 0: both from x; 1: narrow from x, wide from y
uniform int tapCount;
uniform vec4 weights[8]; // out to 2 sigma of sigma 3.5

vec2 lightness(vec2 p)
{
    vec4 t = texture(image, p);
    return split != 0 ? vec2(t.x, t.y / 255.0) : t.xx;
}

void main()
{
    vec2 sum = weights[0].xy * lightness(uv);
    for (int i = 1; i < tapCount; ++i) {
        vec2 o = float(i) * axisStep;
        sum += weights[i].xy * (lightness(uv + o) + lightness(uv - o));
    }
    fragColor = split != 0 ? vec4(sum, 0.0, 1.0) : vec4(sum.x, floor(sum.y * 255.0 + 0.5), 0.0, 1.0);
}
