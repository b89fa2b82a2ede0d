#version 150
// Superellipse vignette towards a colour. With amin >= amax (a negative
// transition) the edge is hard, at the midpoint between them.
in vec2 uv;
out vec4 fragColor;
uniform sampler2D inputTexture0;
uniform vec2 center;
uniform float vpower;
uniform float amount;
uniform float amin;
uniform float amax;
uniform vec4 selectedColor;

void main()
{
    vec4 c = texture(inputTexture0, uv);
    vec2 e = abs(uv - center);
    float d = pow(pow(e.x, vpower) + pow(e.y, vpower), 1.0 / vpower) / 0.5;
    float edge = amin < amax ? smoothstep(amin, amax, d) : step(0.5 * (amin + amax), d);
    float a = smoothstep(0.0, 1.0, edge);
    fragColor = vec4(mix(c.rgb, selectedColor.rgb, amount * a), c.a);
}
