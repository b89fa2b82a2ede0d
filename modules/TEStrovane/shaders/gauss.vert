#version 150
// 15-tap Gaussian along one axis: the 14 off-centre sample positions.
in vec2 vPosition;
uniform vec2 imgSize;
uniform float pass; // 0: vertical, 1: horizontal
out vec2 uv;
out vec2 taps[14];

void main()
{
    uv = (vPosition + 1.0) / 2.0;
    vec2 step = pass < 0.5 ? vec2(0.0, 1.0 / imgSize.y) : vec2(1.0 / imgSize.x, 0.0);
    for (int k = 1; k <= 7; ++k) {
        taps[7 - k] = uv - float(k) * step;
        taps[6 + k] = uv + float(k) * step;
    }
    gl_Position = vec4(vPosition, 0.0, 1.0);
}
