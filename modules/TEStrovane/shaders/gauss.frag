#version 150
// One axis of a symmetric kernel as bilinear taps: taps[0] the centre,
// each further tap (offset in texels, weight) read on both sides.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D image;
uniform vec2 axisStep;
uniform int tapCount;
uniform vec4 taps[12]; // three rounds of the 15-tap kernel need 12

void main()
{
    vec4 sum = taps[0].y * texture(image, uv);
    for (int i = 1; i < tapCount; ++i) {
        vec2 o = taps[i].x * axisStep;
        sum += taps[i].y * (texture(image, uv + o) + texture(image, uv - o));
    }
    fragColor = sum;
}
